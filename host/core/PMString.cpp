#include "PMString.h"

#include <algorithm>
#include <charconv>
#include <cwctype>
#include <limits>

#include "IPMStream.h"
#include "StringTable.h"

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one code point at `i`, advancing it; malformed bytes decode as themselves.
char32_t DecodeAt(const std::string& s, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    std::size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
        if (j >= s.size() || !IsContinuation(static_cast<unsigned char>(s[j]))) { ++i; return c; }
        cp = (cp << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
    }
    i = j;
    return cp;
}

void EncodeTo(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Largest prefix length <= count that does not end inside a character.
std::size_t CharBoundary(const std::string& s, std::size_t count) {
    if (count >= s.size()) return s.size();
    while (count > 0 && IsContinuation(static_cast<unsigned char>(s[count]))) --count;
    return count;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A string longer than this in a stream is taken as damage, not data.
constexpr int32 kMaxStreamedStringBytes = 64 * 1024 * 1024;

}  // namespace

PMString::PMString(const char* text, TranslationFlag flag) : fText(text ? text : ""), fTranslatable(flag == kTranslatable) {}

PMString::PMString(std::string_view text, TranslationFlag flag) : fText(text), fTranslatable(flag == kTranslatable) {}

int32 PMString::CharCount() const {
    int32 n = 0;
    for (std::size_t i = 0; i < fText.size();) {
        DecodeAt(fText, i);
        ++n;
    }
    return n;
}

void PMString::Translate() {
    if (!fTranslatable) return;
    if (const std::string* text = tshost::StringTable::Get().Find(fText)) fText = *text;
}

void PMString::AppendNumber(int64 number) { fText += std::to_string(number); }

void PMString::AppendW(const char16_t* units, std::size_t count) {
    if (!units) return;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            EncodeTo(fText, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            EncodeTo(fText, 0xFFFD);
        } else {
            EncodeTo(fText, u);
        }
    }
}

int32 PMString::IndexOf(std::string_view what, int32 from) const {
    if (from < 0 || static_cast<std::size_t>(from) > fText.size()) return -1;
    std::size_t at = fText.find(what, static_cast<std::size_t>(from));
    return at == std::string::npos ? -1 : static_cast<int32>(at);
}

PMString PMString::Substring(int32 position, int32 count) const {
    PMString result;
    result.fTranslatable = false;
    if (position < 0 || static_cast<std::size_t>(position) >= fText.size()) return result;
    std::size_t n = count < 0 ? std::string::npos : static_cast<std::size_t>(count);
    result.fText = fText.substr(static_cast<std::size_t>(position), n);
    return result;
}

void PMString::Remove(int32 position, int32 count) {
    if (position < 0 || count <= 0 || static_cast<std::size_t>(position) >= fText.size()) return;
    fText.erase(static_cast<std::size_t>(position), static_cast<std::size_t>(count));
}

void PMString::Truncate(int32 count) {
    if (count < 0) count = 0;
    fText.resize(CharBoundary(fText, static_cast<std::size_t>(count)));
}

void PMString::RemoveFirstChar() {
    if (fText.empty()) return;
    std::size_t i = 0;
    DecodeAt(fText, i);
    fText.erase(0, i);
}

void PMString::RemoveAll(char c) { fText.erase(std::remove(fText.begin(), fText.end(), c), fText.end()); }

void PMString::Insert(std::string_view text, int32 position) {
    std::size_t at = position < 0 ? 0 : std::min(static_cast<std::size_t>(position), fText.size());
    fText.insert(at, text);
}

void PMString::StripWhiteSpace(WhiteSpaceKind kind) {
    if (kind == kAllWhiteSpace) {
        fText.erase(std::remove_if(fText.begin(), fText.end(), IsBlank), fText.end());
        return;
    }
    if (kind == kTrailingWhiteSpace || kind == kLeadingAndTrailingWhiteSpace)
        while (!fText.empty() && IsBlank(fText.back())) fText.pop_back();
    if (kind == kLeadingWhiteSpace || kind == kLeadingAndTrailingWhiteSpace) {
        std::size_t i = 0;
        while (i < fText.size() && IsBlank(fText[i])) ++i;
        fText.erase(0, i);
    }
}

bool16 PMString::IsEqual(const PMString& other, bool16 caseSensitive, bool16 /*matchLength*/) const {
    if (caseSensitive) return fText == other.fText ? kTrue : kFalse;
    std::size_t i = 0, j = 0;
    while (i < fText.size() && j < other.fText.size()) {
        char32_t a = DecodeAt(fText, i), b = DecodeAt(other.fText, j);
        if (a != b && std::towlower(static_cast<wint_t>(a)) != std::towlower(static_cast<wint_t>(b))) return kFalse;
    }
    return i == fText.size() && j == other.fText.size() ? kTrue : kFalse;
}

int32 PMString::GetAsNumber(bool16* error) const {
    std::size_t i = 0;
    while (i < fText.size() && IsBlank(fText[i])) ++i;
    const char* first = fText.data() + i;
    const char* last = fText.data() + fText.size();
    if (first != last && *first == '+') ++first;
    int64 value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    bool bad = ec != std::errc() || value < std::numeric_limits<int32>::min() || value > std::numeric_limits<int32>::max();
    if (error) *error = bad ? kTrue : kFalse;
    (void)end;
    return bad ? 0 : static_cast<int32>(value);
}

int32 PMString::GetCString(char* buffer, int32 size) const {
    if (!buffer || size <= 0) return 0;
    std::size_t n = CharBoundary(fText, static_cast<std::size_t>(size - 1));
    fText.copy(buffer, n);
    buffer[n] = '\0';
    return static_cast<int32>(n);
}

// Stream form: the byte count as a 32-bit integer, then the UTF-8 bytes.
void PMString::ReadWrite(IPMStream* stream) {
    if (!stream) return;
    if (stream->IsWriting()) {
        int32 length = static_cast<int32>(fText.size());
        stream->XferInt32(length);
        stream->XferBytes(fText.data(), length);
        return;
    }
    int32 length = 0;
    stream->XferInt32(length);
    fText.clear();
    if (length == 0) return;
    if (length < 0 || length > kMaxStreamedStringBytes || length > stream->Remaining()) {
        stream->SetFailed();
        return;
    }
    fText.resize(static_cast<std::size_t>(length));
    stream->XferBytes(fText.data(), length);
    if (!stream->IsGood()) fText.clear();
}
