// Readers of the resource file's further top-level keys ("views", "menus", …). A subsystem
// declares one ResourceSection object at file scope for the key it reads. When a plug-in
// loads, every section present in its file is first checked (all of them, before anything
// changes) and, only when the whole plug-in is accepted, applied. Keys no section reads are
// ignored. Sections are linked at load time and only read afterwards.
// User-interface thread only.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "IDTypes.h"

namespace tshost {

class ResourceSection {
public:
    // Returns false with a message (JSON pointer and problem; the loader adds the file name).
    using CheckFn = bool (*)(PluginID plugin, const nlohmann::json& value, std::string& error);
    using ApplyFn = void (*)(PluginID plugin, const nlohmann::json& value);

    ResourceSection(const char* key, CheckFn check, ApplyFn apply);
    ResourceSection(const ResourceSection&) = delete;
    ResourceSection& operator=(const ResourceSection&) = delete;

    static const ResourceSection* Find(const std::string& key);

    const char* Key() const { return fKey; }
    bool Check(PluginID plugin, const nlohmann::json& value, std::string& error) const { return fCheck(plugin, value, error); }
    void Apply(PluginID plugin, const nlohmann::json& value) const { fApply(plugin, value); }

private:
    const char* fKey;
    CheckFn fCheck;
    ApplyFn fApply;
    ResourceSection* fNext;
};

}  // namespace tshost
