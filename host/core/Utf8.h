// Reading UTF-8 one code point at a time, for the texts the host hands to libraries that
// refuse anything else (cairo, the XMP toolkit), and making a text fit for one line of a
// message. Pure functions; safe on any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "PMTypes.h"

namespace tshost {

// Decodes the code point at `at`: its length in bytes, or 0 when the bytes there are not
// UTF-8 (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, uint32& codePoint);

bool IsUtf8(std::string_view text);

// `text` as one line of valid UTF-8: line breaks become "; ", and every other control
// character and every byte that is not UTF-8 is written as \xNN. Texts from files (names,
// SQLite's findings, paths) reach the terminal only through it.
std::string OneLine(std::string_view text);

}  // namespace tshost
