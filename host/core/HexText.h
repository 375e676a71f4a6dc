// IDs as the host shows them in messages and listings: "0x" and lowercase hex digits.
// Safe on any thread.
#pragma once

#include <cstdio>
#include <string>

#include "PMTypes.h"

namespace tshost {

inline std::string Hex(uint32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

}  // namespace tshost
