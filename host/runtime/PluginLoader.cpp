#include "PluginLoader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "BossClasses.h"
#include "ImplRegistry.h"
#include "ResourceFile.h"
#include "ResourceSections.h"
#include "StringTable.h"
#include "HexText.h"

namespace tshost {

namespace {

PluginID gLoading = kInvalidPlugin;
std::vector<std::string> gRegistrationProblems;

// The ID a class reference spells ("0x…" or decimal digits), or empty for a name.
std::optional<uint32> ReferenceID(const std::string& ref, bool& isID) {
    bool hex = ref.rfind("0x", 0) == 0 || ref.rfind("0X", 0) == 0;
    bool digits = !ref.empty() && ref.find_first_not_of("0123456789") == std::string::npos;
    isID = hex || digits;
    if (hex) return ParseResourceID(nlohmann::json(ref));
    if (digits && ref.size() <= 10) return ParseResourceID(nlohmann::json(std::stoull(ref)));
    return std::nullopt;
}

// A class reference of a resource file: an ID or a name. The file's own classes count as
// defined.
std::optional<ClassID> ResolveClass(const std::string& ref, const ResourceFile& file) {
    bool isID = false;
    std::optional<uint32> id = ReferenceID(ref, isID);
    if (isID) {
        if (!id) return std::nullopt;
        ClassID cls(*id);
        if (BossClasses::Get().Exists(cls)) return cls;
        for (const ResourceBoss& b : file.bosses)
            if (b.id == cls) return cls;
        return std::nullopt;
    }
    for (const ResourceBoss& b : file.bosses)
        if (b.name == ref) return b.id;
    ClassID cls = BossClasses::Get().FindByName(ref);
    if (cls.IsValid()) return cls;
    return std::nullopt;
}

// Everything that can be checked before the plug-in runs any code.
bool CheckDefinitions(const ResourceFile& file, const std::vector<LoadedPlugin>& loaded, std::string& error) {
    auto fail = [&](const std::string& where, const std::string& what) {
        error = file.path + ": " + (where.empty() ? "" : where + ": ") + what;
        return false;
    };
    if (file.plugin.Get() == kHostPluginID.Get()) return fail("/plugin/id", "the plug-in ID is the host's own");
    for (const LoadedPlugin& p : loaded)
        if (p.id == file.plugin) return fail("/plugin/id", "plug-in " + Hex(file.plugin.Get()) + " is loaded already (" + p.file + ")");

    std::set<ClassID> ids;
    std::set<std::string> names;
    for (const ResourceBoss& b : file.bosses) {
        if (BossClasses::Get().Exists(b.id) || !ids.insert(b.id).second)
            return fail(b.where + "/class", "class " + Hex(b.id.Get()) + " is defined already");
        if (!b.name.empty() && (BossClasses::Get().FindByName(b.name).IsValid() || !names.insert(b.name).second))
            return fail(b.where + "/name", "a class named \"" + b.name + "\" is defined already");
    }
    std::map<ClassID, ClassID> parents;
    for (const ResourceBoss& b : file.bosses) {
        if (b.parent.empty()) continue;
        std::optional<ClassID> parent = ResolveClass(b.parent, file);
        if (!parent) return fail(b.where + "/parent", "unknown class \"" + b.parent + "\"");
        parents[b.id] = *parent;
    }
    for (const ResourceBoss& b : file.bosses) {
        ClassID at = b.id;
        for (std::size_t step = 0; step <= file.bosses.size(); ++step) {
            auto it = parents.find(at);
            if (it == parents.end()) break;
            at = it->second;
            if (at == b.id) return fail(b.where + "/parent", "the class is its own ancestor");
        }
    }
    for (const ResourceAddIn& a : file.addins)
        if (!ResolveClass(a.target, file)) return fail(a.where + "/class", "unknown class \"" + a.target + "\"");
    for (const auto& [key, value] : file.document.items()) {
        const ResourceSection* section = ResourceSection::Find(key);
        std::string problem;
        if (section && !section->Check(file.plugin, value, problem)) return fail("/" + key, problem);
    }
    return true;
}

bool CheckImplementations(const ResourceFile& file, std::string& error) {
    auto check = [&](const std::vector<std::pair<PMIID, ImplementationID>>& interfaces, const std::string& where) {
        for (std::size_t i = 0; i < interfaces.size(); ++i)
            if (!ImplRegistry::Get().Find(interfaces[i].second)) {
                error = file.path + ": " + where + "/interfaces/" + std::to_string(i) + "/1: implementation " +
                        Hex(interfaces[i].second.Get()) + " is not registered";
                return false;
            }
        return true;
    };
    for (const ResourceBoss& b : file.bosses)
        if (!check(b.interfaces, b.where)) return false;
    for (const ResourceAddIn& a : file.addins)
        if (!check(a.interfaces, a.where)) return false;
    return true;
}

std::vector<ClassID> Apply(const ResourceFile& file) {
    std::vector<ClassID> classes;
    for (const ResourceBoss& b : file.bosses) {
        BossClass definition{b.id, b.parent.empty() ? kInvalidClass : *ResolveClass(b.parent, file), b.name, {}};
        for (const auto& [iid, impl] : b.interfaces) definition.interfaces[iid] = impl;
        BossClasses::Get().Define(std::move(definition));
        classes.push_back(b.id);
    }
    for (const ResourceAddIn& a : file.addins) {
        ClassID target = *ResolveClass(a.target, file);
        for (const auto& [iid, impl] : a.interfaces) BossClasses::Get().AddIn(target, iid, impl);
    }
    for (const ResourceString& s : file.strings) StringTable::Get().Add(s.locale, s.key, s.text);
    for (const auto& [key, value] : file.document.items())
        if (const ResourceSection* section = ResourceSection::Find(key)) section->Apply(file.plugin, value);
    return classes;
}

std::optional<LoadedPlugin> Install(GetPlugInFn entry, const ResourceFile& file, const std::string& label, ISession* session,
                                    const std::vector<LoadedPlugin>& loaded, std::string& error) {
    if (!CheckDefinitions(file, loaded, error)) return std::nullopt;
    PlugIn* plugin = nullptr;
    try {
        plugin = entry();
    } catch (...) {
        error = label + ": GetPlugIn failed with an exception";
        return std::nullopt;
    }
    if (!plugin) {
        error = label + ": GetPlugIn gave no plug-in object";
        return std::nullopt;
    }
    if (plugin->GetPluginID() != file.plugin) {
        error = label + ": the plug-in calls itself " + Hex(plugin->GetPluginID().Get()) + " but " + file.path + " says " +
                Hex(file.plugin.Get());
        return std::nullopt;
    }
    gLoading = file.plugin;
    gRegistrationProblems.clear();
    bool16 loadedOk = kFalse;
    bool threw = false;
    try {
        loadedOk = plugin->LoadFactories(file.plugin, session);
    } catch (...) {
        threw = true;
    }
    gLoading = kInvalidPlugin;
    auto rollback = [&](std::string message) {
        ImplRegistry::Get().RemovePlugin(file.plugin);
        error = std::move(message);
        return std::nullopt;
    };
    if (threw) return rollback(label + ": LoadFactories failed with an exception");
    if (!loadedOk || !gRegistrationProblems.empty()) {
        std::string why = gRegistrationProblems.empty() ? "LoadFactories failed" : gRegistrationProblems.front();
        if (gRegistrationProblems.size() > 1) why += " (and " + std::to_string(gRegistrationProblems.size() - 1) + " more)";
        return rollback(label + ": " + why);
    }
    if (!CheckImplementations(file, error)) return rollback(error);
    LoadedPlugin result{file.plugin, file.name, label, file.path, Apply(file)};
    return result;
}

}  // namespace

PluginID PluginBeingLoaded() { return gLoading; }

void NoteRegistrationProblem(const std::string& problem) { gRegistrationProblems.push_back(problem); }

std::optional<LoadedPlugin> LoadPluginLibrary(const std::string& path, ISession* session,
                                              const std::vector<LoadedPlugin>& loaded, std::string& error) {
    std::error_code ec;
    // dlopen searches the library path for a bare name: always hand it a path.
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) full = path;
    struct stat st {};
    if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = full + ": no such plug-in file";
        return std::nullopt;
    }
    std::optional<ResourceFile> file = ReadResourceFile(ResourcePathFor(full), error);
    if (!file) return std::nullopt;
    void* handle = ::dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = full + ": cannot be loaded: " + (why ? why : "unknown reason");
        return std::nullopt;
    }
    auto entry = reinterpret_cast<GetPlugInFn>(::dlsym(handle, "GetPlugIn"));
    if (!entry) {
        ::dlclose(handle);
        error = full + ": has no GetPlugIn entry point";
        return std::nullopt;
    }
    return Install(entry, *file, full, session, loaded, error);
}

std::optional<LoadedPlugin> LoadLinkedPlugin(GetPlugInFn entry, const std::string& resourcePath, ISession* session,
                                             const std::vector<LoadedPlugin>& loaded, std::string& error) {
    if (!entry) {
        error = resourcePath + ": no GetPlugIn given";
        return std::nullopt;
    }
    std::optional<ResourceFile> file = ReadResourceFile(resourcePath, error);
    if (!file) return std::nullopt;
    return Install(entry, *file, "(linked) " + file->name, session, loaded, error);
}

}  // namespace tshost
