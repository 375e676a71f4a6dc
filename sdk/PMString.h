// The host's string type. Holds Unicode text as UTF-8 (the host's 8-bit form), with a flag
// that says whether the text is a string key still to be translated at display points.
// Positions and counts are in bytes of the UTF-8 form; IndexOf returns such positions.
// A PMString is a plain value: distinct objects may be used on distinct threads at once, and
// reading one from several threads is safe; nothing here touches shared host state except
// Translate, which reads the string tables (user-interface thread only).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "PMTypes.h"

class IPMStream;

class PMString {
public:
    enum TranslationFlag { kTranslatable, kNoTranslate };
    // Which ends StripWhiteSpace trims.
    enum WhiteSpaceKind { kLeadingWhiteSpace = 0, kTrailingWhiteSpace = 1, kLeadingAndTrailingWhiteSpace = 2, kAllWhiteSpace = 3 };

    PMString() = default;
    PMString(const char* text, TranslationFlag flag = kTranslatable);
    PMString(std::string_view text, TranslationFlag flag = kTranslatable);
    PMString(const std::string& text, TranslationFlag flag = kTranslatable) : PMString(std::string_view(text), flag) {}

    bool16 IsEmpty() const { return fText.empty() ? kTrue : kFalse; }
    int32 ByteLength() const { return static_cast<int32>(fText.size()); }
    int32 CharCount() const;
    void Clear() { fText.clear(); }
    void SetString(std::string_view text) { fText.assign(text); }

    void SetTranslatable(bool16 translatable) { fTranslatable = translatable != kFalse; }
    bool16 GetTranslatable() const { return fTranslatable ? kTrue : kFalse; }
    // Replaces a string key by its text in the current locale's table; unknown texts stay.
    void Translate();

    void Append(const PMString& other) { fText += other.fText; }
    void Append(std::string_view text) { fText += text; }
    void Append(const std::string& text) { fText += text; }
    void Append(const char* text) { if (text) fText += text; }
    void AppendNumber(int64 number);
    // Appends UTF-16 code units, converting them; unpaired surrogates become U+FFFD.
    void AppendW(const char16_t* units, std::size_t count);

    // First byte position of `what` at or after `from`, or -1.
    int32 IndexOf(std::string_view what, int32 from = 0) const;
    int32 IndexOf(const PMString& what, int32 from = 0) const { return IndexOf(std::string_view(what.fText), from); }
    PMString Substring(int32 position, int32 count = -1) const;
    void Remove(int32 position, int32 count);
    // Keeps the first `count` bytes, never cutting a character in two.
    void Truncate(int32 count);
    void RemoveFirstChar();
    void RemoveAll(char c);
    void Insert(std::string_view text, int32 position);
    void StripWhiteSpace(WhiteSpaceKind kind = kLeadingAndTrailingWhiteSpace);

    // Exact comparison, or ignoring case when caseSensitive is false.
    bool16 IsEqual(const PMString& other, bool16 caseSensitive = kTrue, bool16 matchLength = kTrue) const;
    // Leading blanks, an optional sign and decimal digits; 0 and *error = kTrue for anything else.
    int32 GetAsNumber(bool16* error = nullptr) const;

    // NUL-terminated 8-bit text, valid while the string is unchanged.
    const char* GrabCString() const { return fText.c_str(); }
    // Copies at most size - 1 bytes and a NUL, never cutting a character in two. Returns the bytes copied.
    int32 GetCString(char* buffer, int32 size) const;
    const std::string& GetUTF8String() const { return fText; }

    // Reads or writes the string, as the stream decides.
    void ReadWrite(IPMStream* stream);

    bool operator==(const PMString& other) const { return fText == other.fText; }
    bool operator<(const PMString& other) const { return fText < other.fText; }
    PMString& operator+=(const PMString& other) { Append(other); return *this; }
    PMString& operator+=(const char* text) { Append(text); return *this; }

private:
    std::string fText;
    bool fTranslatable = true;
};

inline const PMString kNullString;
