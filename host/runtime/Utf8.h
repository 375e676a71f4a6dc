// Reading UTF-8 one code point at a time, for the texts the host hands to libraries that
// refuse anything else (cairo, the XMP toolkit). Pure functions; safe on any thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "PMTypes.h"

namespace tshost {

// Decodes the code point at `at`: its length in bytes, or 0 when the bytes there are not
// UTF-8 (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, uint32& codePoint);

bool IsUtf8(std::string_view text);

}  // namespace tshost
