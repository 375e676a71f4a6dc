// The translated texts of string keys, per locale, as the loaded plug-ins' resource files
// give them. Filled while plug-ins load, then only read. User-interface thread only.
#pragma once

#include <string>
#include <unordered_map>

namespace tshost {

class StringTable {
public:
    static StringTable& Get();

    void SetLocale(std::string locale) { fLocale = std::move(locale); }
    const std::string& Locale() const { return fLocale; }
    void Add(const std::string& locale, const std::string& key, const std::string& text);
    // The text of `key` in the current locale, or null.
    const std::string* Find(const std::string& key) const;
    void Clear() { fTables.clear(); }

private:
    std::string fLocale = "enUS";
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> fTables;
};

}  // namespace tshost
