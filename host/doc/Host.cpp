#include "Host.h"

namespace tshost {

Host::Host() = default;

// The documents close while this is still a Host; the runtime's own destructor then finds
// nothing left to do.
Host::~Host() { TearDown(); }

// Every runtime is a Host's: only Host may make one.
Host* Host::Current() { return static_cast<Host*>(Runtime::Current()); }

}  // namespace tshost
