#include "FileCalls.h"

#include <unistd.h>

#include <cstdio>

namespace tshost {

FileCalls FileCalls::System() { return FileCalls{::fsync, std::rename}; }

FileCalls& FileCalls::Get() {
    static FileCalls calls = System();
    return calls;
}

}  // namespace tshost
