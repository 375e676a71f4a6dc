#include "Utf8.h"

#include <cstdio>

namespace tshost {

std::size_t DecodeUtf8(std::string_view text, std::size_t at, uint32& codePoint) {
    if (at >= text.size()) return 0;
    auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    uint32 cp = length == 1 ? byte : length == 2 ? byte & 0x1Fu : length == 3 ? byte & 0x0Fu : byte & 0x07u;
    for (std::size_t k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    static constexpr uint32 kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    codePoint = cp;
    return length;
}

bool IsUtf8(std::string_view text) {
    uint32 cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    uint32 cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\n' || text[i] == '\r') {
            std::size_t end = text.find_first_not_of("\r\n", i);
            if (end == std::string_view::npos) break;
            if (!line.empty()) line += "; ";
            i = end;
            continue;
        }
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0 || cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
            // A control character or a byte that starts no code point: one byte at a time.
            std::size_t bytes = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < bytes; ++k) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[i + k]));
                line += escaped;
            }
            i += bytes;
            continue;
        }
        line.append(text.substr(i, length));
        i += length;
    }
    return line;
}

}  // namespace tshost
