// A plug-in's resource file: JSON beside the plug-in, same base name, ".json". It names the
// plug-in, defines its boss classes, adds interfaces to classes that exist already, and
// gives the texts of its string keys per locale:
//
//   {"plugin": {"id": "0x61000", "name": "Tessaron"},
//    "bosses": [{"class": "0x61007", "name": "kTSPrefsDataCmdBoss", "parent": "kCommandBoss",
//                "interfaces": [["0x20001", "0x6102d"], ["0x61001", "0x6102c"]]}],
//    "addins": [{"class": "kWorkspaceBoss", "interfaces": [["0x61001", "0x6102b"]]}],
//    "strings": {"enUS": {"0x61000kTSConnectionError": "..."}}}
//
// IDs are "0x" hex strings or decimal numbers, 1 to 0xFFFFFFFF. A class reference ("parent",
// an add-in's "class") is a class name (the host's "kSessionBoss", "kApplicationBoss",
// "kWorkspaceBoss", "kDocBoss", "kPageBoss", "kCommandBoss", "kStartupShutdownBoss", or any
// class already defined, this file's included) or a class ID. "name" and "parent" are
// optional; a boss without a parent has only its own interfaces. Every other top-level key
// belongs to a ResourceSection (ResourceSections.h), or is ignored when none reads it.
//
// Reading checks the syntax and the types; whether the classes and implementations it names
// exist is checked by the plug-in loader. Errors name the file and the place: the line and
// column for a syntax error, the JSON pointer of the bad value otherwise.
// Safe on any thread: nothing here keeps state.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "IDTypes.h"

namespace tshost {

struct ResourceBoss {
    ClassID id;
    std::string name;    // may be empty
    std::string parent;  // a class reference, or empty
    std::vector<std::pair<PMIID, ImplementationID>> interfaces;
    std::string where;   // JSON pointer of the entry, for messages
};

struct ResourceAddIn {
    std::string target;  // a class reference
    std::vector<std::pair<PMIID, ImplementationID>> interfaces;
    std::string where;
};

struct ResourceString {
    std::string locale;
    std::string key;
    std::string text;
};

struct ResourceFile {
    std::string path;
    PluginID plugin;
    std::string name;
    std::vector<ResourceBoss> bosses;
    std::vector<ResourceAddIn> addins;
    std::vector<ResourceString> strings;
    nlohmann::json document;  // the whole file, for the sections read elsewhere
};

// Reads and checks a resource file. `error` reads "PATH: problem" or "PATH:LINE:COLUMN: problem".
std::optional<ResourceFile> ReadResourceFile(const std::string& path, std::string& error);
// The same for text already read; `path` only names it in messages.
std::optional<ResourceFile> ParseResourceText(const std::string& text, const std::string& path, std::string& error);

// An ID value: "0x…" hex (1 to 8 digits) or a non-negative integer, not 0, at most 0xFFFFFFFF.
std::optional<uint32> ParseResourceID(const nlohmann::json& value);

// The resource file of a plug-in file: same folder, same base name, ".json".
std::string ResourcePathFor(const std::string& pluginPath);

}  // namespace tshost
