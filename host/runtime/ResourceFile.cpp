#include "ResourceFile.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace tshost {

namespace {

using nlohmann::json;

constexpr off_t kMaxResourceBytes = 16 * 1024 * 1024;

// Thrown inside the reader only; it never leaves this file.
struct Bad {
    std::string where;
    std::string what;
};

std::string Pointer(const std::string& base, const std::string& key) {
    // JSON pointer escaping: "~" and "/" in keys.
    std::string escaped;
    for (char c : key) {
        if (c == '~') escaped += "~0";
        else if (c == '/') escaped += "~1";
        else escaped += c;
    }
    return base + "/" + escaped;
}

std::string Pointer(const std::string& base, std::size_t index) { return base + "/" + std::to_string(index); }

std::string Shown(const json& value) {
    // Containers are named, not printed: printing one walks all of it.
    if (value.is_array()) return "an array";
    if (value.is_object()) return "an object";
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

const json& Member(const json& object, const char* key, const std::string& where, json::value_t type, bool required) {
    static const json kNull;
    auto it = object.find(key);
    if (it == object.end()) {
        if (required) throw Bad{where, std::string("missing \"") + key + "\""};
        return kNull;
    }
    if (it->type() != type) {
        const char* expected = type == json::value_t::object ? "an object"
                               : type == json::value_t::array ? "an array"
                                                              : "a string";
        throw Bad{Pointer(where, key), std::string("must be ") + expected + ", not " + Shown(*it)};
    }
    return *it;
}

uint32 ID(const json& value, const std::string& where, const char* what) {
    std::optional<uint32> id = ParseResourceID(value);
    if (!id) throw Bad{where, std::string("bad ") + what + " ID " + Shown(value) + " (want \"0x...\" hex or a decimal number, not 0)"};
    return *id;
}

std::string ClassRef(const json& value, const std::string& where) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text.empty()) throw Bad{where, "empty class reference"};
        if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) ID(value, where, "class");
        return text;
    }
    return std::to_string(ID(value, where, "class"));
}

std::vector<std::pair<PMIID, ImplementationID>> Interfaces(const json& list, const std::string& where) {
    std::vector<std::pair<PMIID, ImplementationID>> out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& pair = list[i];
        std::string at = Pointer(where, i);
        if (!pair.is_array() || pair.size() != 2)
            throw Bad{at, "must be a pair [interface ID, implementation ID], not " + Shown(pair)};
        PMIID iid(ID(pair[0], Pointer(at, 0), "interface"));
        ImplementationID impl(ID(pair[1], Pointer(at, 1), "implementation"));
        for (const auto& [seen, unused] : out)
            if (seen == iid) throw Bad{at, "interface " + Shown(pair[0]) + " is given twice"};
        out.emplace_back(iid, impl);
    }
    return out;
}

void Read(const json& doc, ResourceFile& file) {
    if (!doc.is_object()) throw Bad{"", "the file must hold one JSON object"};
    const json& plugin = Member(doc, "plugin", "", json::value_t::object, true);
    if (!plugin.contains("id")) throw Bad{"/plugin", "missing \"id\""};
    file.plugin = PluginID(ID(plugin["id"], "/plugin/id", "plug-in"));
    file.name = Member(plugin, "name", "/plugin", json::value_t::string, true).get<std::string>();

    const json& bosses = Member(doc, "bosses", "", json::value_t::array, false);
    for (std::size_t i = 0; i < bosses.size(); ++i) {
        const json& b = bosses[i];
        std::string where = Pointer("/bosses", i);
        if (!b.is_object()) throw Bad{where, "must be an object"};
        ResourceBoss boss;
        boss.where = where;
        if (!b.contains("class")) throw Bad{where, "missing \"class\""};
        boss.id = ClassID(ID(b["class"], Pointer(where, "class"), "class"));
        const json& name = Member(b, "name", where, json::value_t::string, false);
        if (!name.is_null()) boss.name = name.get<std::string>();
        if (b.contains("parent")) boss.parent = ClassRef(b["parent"], Pointer(where, "parent"));
        boss.interfaces = Interfaces(Member(b, "interfaces", where, json::value_t::array, false), Pointer(where, "interfaces"));
        file.bosses.push_back(std::move(boss));
    }

    const json& addins = Member(doc, "addins", "", json::value_t::array, false);
    for (std::size_t i = 0; i < addins.size(); ++i) {
        const json& a = addins[i];
        std::string where = Pointer("/addins", i);
        if (!a.is_object()) throw Bad{where, "must be an object"};
        if (!a.contains("class")) throw Bad{where, "missing \"class\""};
        ResourceAddIn addin;
        addin.where = where;
        addin.target = ClassRef(a["class"], Pointer(where, "class"));
        addin.interfaces = Interfaces(Member(a, "interfaces", where, json::value_t::array, true), Pointer(where, "interfaces"));
        file.addins.push_back(std::move(addin));
    }

    const json& strings = Member(doc, "strings", "", json::value_t::object, false);
    for (const auto& [locale, table] : strings.items()) {
        std::string where = Pointer("/strings", locale);
        if (!table.is_object()) throw Bad{where, "must be an object of key: text"};
        for (const auto& [key, text] : table.items()) {
            if (!text.is_string()) throw Bad{Pointer(where, key), "must be a string, not " + Shown(text)};
            file.strings.push_back(ResourceString{locale, key, text.get<std::string>()});
        }
    }
}

}  // namespace

std::optional<uint32> ParseResourceID(const json& value) {
    uint64 result = 0;
    if (value.is_number_unsigned()) {
        result = value.get<uint64>();
    } else if (value.is_number_integer()) {
        return std::nullopt;  // negative
    } else if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return std::nullopt;
            result = result * 16 + static_cast<uint64>(digit);
        }
    } else {
        return std::nullopt;
    }
    if (result == 0 || result > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32>(result);
}

std::optional<ResourceFile> ParseResourceText(const std::string& text, const std::string& path, std::string& error) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::parse_error& e) {
        // e.byte counts from 1 and points at the byte the parser stopped on.
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i + 1 < e.byte && i < text.size(); ++i) {
            if (text[i] == '\n') { ++line; column = 1; } else { ++column; }
        }
        std::string what = e.what();
        std::size_t colon = what.find(": ");
        if (colon != std::string::npos) what = what.substr(colon + 2);
        error = path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + what;
        return std::nullopt;
    }
    ResourceFile file;
    file.path = path;
    try {
        Read(doc, file);
    } catch (const Bad& bad) {
        error = path + ": " + (bad.where.empty() ? "" : bad.where + ": ") + bad.what;
        return std::nullopt;
    } catch (const json::exception& e) {
        error = path + ": " + e.what();
        return std::nullopt;
    }
    file.document = std::move(doc);
    return file;
}

std::optional<ResourceFile> ReadResourceFile(const std::string& path, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + ": no such file (the plug-in's resource file)";
        return std::nullopt;
    }
    if (st.st_size > kMaxResourceBytes) {
        error = path + ": too large for a resource file (" + std::to_string(st.st_size) + " bytes)";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    return ParseResourceText(text.str(), path, error);
}

std::string ResourcePathFor(const std::string& pluginPath) {
    std::size_t slash = pluginPath.find_last_of('/');
    std::size_t dot = pluginPath.find_last_of('.');
    std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? pluginPath.substr(0, dot) : pluginPath;
    return base + ".json";
}

}  // namespace tshost
