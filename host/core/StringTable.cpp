#include "StringTable.h"

namespace tshost {

StringTable& StringTable::Get() {
    static StringTable table;
    return table;
}

void StringTable::Add(const std::string& locale, const std::string& key, const std::string& text) {
    fTables[locale][key] = text;
}

const std::string* StringTable::Find(const std::string& key) const {
    auto table = fTables.find(fLocale);
    if (table == fTables.end()) return nullptr;
    auto entry = table->second.find(key);
    return entry == table->second.end() ? nullptr : &entry->second;
}

}  // namespace tshost
