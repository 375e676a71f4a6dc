// The action and menu managers' module, and the plug-in resource file's "actions" and
// "menus" keys:
//
//   "actions": [
//     {"id": "0x61004", "component": "kTSActionComponentBoss", "label": "0x61000kTSSendMenuKey",
//      "menu": "Main:Tessaron", "position": 2.0},
//     {"id": "0x61006", "component": "kTSActionComponentBoss", "label": "Preferences…",
//      "menu": "Main:Tessaron", "position": 9.0, "enabling": "host"}],
//   "menus": [
//     {"path": "0x61000kTSDynMnuTargetMenuPath", "dynamic": "kTSActionComponentBoss"},
//     {"path": "Main:Tessaron:-", "position": 5.0}]
//
// An action: "id" (its ActionID, "0x…" or a number), "component" (the class, by name or ID,
// whose boss answers IActionComponent), "label" (a string key or text, translated where
// shown), optional "area" (its group in a shortcut editor), "menu" and "position" (the menu
// item: both or neither), "enabling": "component" (the default: the component's
// UpdateActionStates decides) or "host" (always enabled, never asked).
// A menu entry is either a dynamic menu ("path" and "dynamic", the class whose boss answers
// IDynamicMenu) or a separator ("path" ending in ":-" and "position").
// Decision: the host asks the component only about the actions the file leaves to it, so a
// plug-in makes About and Preferences "host" and they stay reachable whatever its component
// says. Classes are looked up when the plug-in is applied (its own classes exist only then):
// an entry naming an unknown class is left out with a diagnostic.
#include <cstdio>
#include <set>

#include <nlohmann/json.hpp>

#include "ActionMgr.h"
#include "BossClasses.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "MenuIDs.h"
#include "MenuMgr.h"
#include "ResourceSections.h"
#include "Transcript.h"
#include "Widgets.h"

namespace tshost {

namespace {

using nlohmann::json;

std::optional<uint32> IDOf(const json& value) {
    if (value.is_number_unsigned() && value.get<uint64>() > 0 && value.get<uint64>() <= 0xFFFFFFFFull)
        return static_cast<uint32>(value.get<uint64>());
    if (value.is_string()) return ParseResourceIDText(value.get<std::string>());
    return std::nullopt;
}

ClassID ClassOf(const std::string& reference) {
    ClassID byName = BossClasses::Get().FindByName(reference);
    if (byName.IsValid()) return byName;
    std::optional<uint32> id = ParseResourceIDText(reference);
    return id && BossClasses::Get().Exists(ClassID(*id)) ? ClassID(*id) : kInvalidClass;
}

bool NonEmptyString(const json& value) { return value.is_string() && !value.get<std::string>().empty(); }

// Checks one object's keys: `required` must be there, nothing outside `allowed`.
bool Keys(const json& item, const std::string& where, std::initializer_list<const char*> required,
          std::initializer_list<const char*> allowed, std::string& error) {
    if (!item.is_object()) {
        error = where + ": must be an object";
        return false;
    }
    for (const char* key : required)
        if (!item.contains(key)) {
            error = where + ": \"" + key + "\" is missing";
            return false;
        }
    for (const auto& [key, value] : item.items()) {
        bool known = false;
        for (const char* k : allowed) known |= key == k;
        if (!known) {
            error = where + "/" + key + ": unknown key";
            return false;
        }
    }
    return true;
}

bool CheckActions(PluginID, const json& value, std::string& error) {
    if (!value.is_array()) {
        error = "must be an array of actions";
        return false;
    }
    std::set<uint32> seen;
    ActionMgr* mgr = ActionMgr::Current();
    for (std::size_t i = 0; i < value.size(); ++i) {
        const json& a = value[i];
        const std::string where = "/" + std::to_string(i);
        if (!Keys(a, where, {"id", "component", "label"}, {"id", "component", "label", "area", "menu", "position", "enabling"}, error))
            return false;
        std::optional<uint32> id = IDOf(a["id"]);
        if (!id) {
            error = where + "/id: not an action ID";
            return false;
        }
        if (!seen.insert(*id).second || (mgr && mgr->Find(ActionID(*id)))) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", *id);
            error = where + "/id: action " + text + " is defined already";
            return false;
        }
        for (const char* key : {"component", "label"})
            if (!NonEmptyString(a[key])) {
                error = where + "/" + key + ": must be a non-empty string";
                return false;
            }
        if (a.contains("area") && !a["area"].is_string()) {
            error = where + "/area: must be a string";
            return false;
        }
        if (a.contains("menu") != a.contains("position")) {
            error = where + ": \"menu\" and \"position\" go together";
            return false;
        }
        if (a.contains("menu") && (!NonEmptyString(a["menu"]) || a["menu"].get<std::string>().ends_with(":-"))) {
            error = where + "/menu: must be a menu path (separators go under \"menus\")";
            return false;
        }
        if (a.contains("position") && !a["position"].is_number()) {
            error = where + "/position: must be a number";
            return false;
        }
        if (a.contains("enabling") && a["enabling"] != "component" && a["enabling"] != "host") {
            error = where + "/enabling: must be \"component\" or \"host\"";
            return false;
        }
    }
    return true;
}

void ApplyActions(PluginID plugin, const json& value) {
    ActionMgr* actions = ActionMgr::Current();
    MenuMgr* menus = MenuMgr::Current();
    if (!actions || !menus) return;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const json& a = value[i];
        ClassID cls = ClassOf(a["component"].get<std::string>());
        if (!cls.IsValid()) {
            Diagnose("actions/" + std::to_string(i) + ": unknown component class \"" + a["component"].get<std::string>() +
                     "\"; the action is left out");
            continue;
        }
        ActionEntry entry;
        entry.id = ActionID(*IDOf(a["id"]));
        entry.name = PMString(a["label"].get<std::string>());
        entry.area = PMString(a.value("area", std::string()));
        entry.enabling = a.value("enabling", std::string("component")) == "host" ? IActionManager::kAlwaysEnabled
                                                                                  : IActionManager::kAskComponent;
        entry.plugin = plugin;
        entry.componentClass = cls;
        ActionID id = entry.id;
        actions->AddFixed(std::move(entry));
        if (a.contains("menu")) menus->AddMenuItem(id, PMString(a["menu"].get<std::string>()), a["position"].get<double>(), 0, 0);
    }
}

bool CheckMenus(PluginID, const json& value, std::string& error) {
    if (!value.is_array()) {
        error = "must be an array of menus";
        return false;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        const json& m = value[i];
        const std::string where = "/" + std::to_string(i);
        if (!Keys(m, where, {"path"}, {"path", "dynamic", "position"}, error)) return false;
        if (!NonEmptyString(m["path"])) {
            error = where + "/path: must be a non-empty string";
            return false;
        }
        bool separator = m["path"].get<std::string>().ends_with(":-");
        if (separator && m["path"].get<std::string>().size() == 2) {
            error = where + "/path: a separator needs the path of its menu";
            return false;
        }
        if (separator ? !m.contains("position") || m.contains("dynamic") : !m.contains("dynamic") || m.contains("position")) {
            error = where + ": a separator (path ending in \":-\") has a \"position\", a dynamic menu a \"dynamic\" class";
            return false;
        }
        if (separator && !m["position"].is_number()) {
            error = where + "/position: must be a number";
            return false;
        }
        if (!separator && !NonEmptyString(m["dynamic"])) {
            error = where + "/dynamic: must be a class name or ID";
            return false;
        }
    }
    return true;
}

void ApplyMenus(PluginID, const json& value) {
    MenuMgr* menus = MenuMgr::Current();
    if (!menus) return;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const json& m = value[i];
        const std::string path = m["path"].get<std::string>();
        if (m.contains("position")) {
            menus->AddSeparator(path, m["position"].get<double>());
            continue;
        }
        ClassID cls = ClassOf(m["dynamic"].get<std::string>());
        if (!cls.IsValid()) {
            Diagnose("menus/" + std::to_string(i) + ": unknown class \"" + m["dynamic"].get<std::string>() +
                     "\"; the dynamic menu is left out");
            continue;
        }
        menus->SetDynamic(path, cls);
    }
}

ResourceSection gActions("actions", CheckActions, ApplyActions);
ResourceSection gMenus("menus", CheckMenus, ApplyMenus);

HostModule gModule("ui menus", 30, [] {
    RegisterHostImplementation(HostImplementation<ActionMgr>(kActionMgrImpl));
    RegisterHostImplementation(HostImplementation<MenuMgr>(kMenuMgrImpl));
    BossClasses::Get().AddIn(kApplicationBoss, IID_OF<IActionManager>(), kActionMgrImpl);
    BossClasses::Get().AddIn(kApplicationBoss, IID_OF<IMenuManager>(), kMenuMgrImpl);
});

}  // namespace

}  // namespace tshost
