#include "Host.h"

namespace tshost {

Host::Host() = default;

// The documents close while this is still a Host; the runtime's own destructor then finds
// nothing left to do.
Host::~Host() { TearDown(); }

// Every runtime is a Host: Runtime's constructor is for Host alone.
Host* Host::Current() { return static_cast<Host*>(Runtime::Current()); }

}  // namespace tshost
