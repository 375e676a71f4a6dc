// Console commands for actions and menus: list them, show a menu as the user would see it
// (the dynamic menu rebuilt, the states asked), choose an item, and answer the next pop-up.
#include <cstdio>

#include "ActionMgr.h"
#include "ConsoleCommands.h"
#include "Host.h"
#include "MenuMgr.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

bool Managers(ActionMgr*& actions, MenuMgr*& menus, std::string& error) {
    actions = ActionMgr::Current();
    menus = MenuMgr::Current();
    if (actions && menus) return true;
    error = "the host has no menus";
    return false;
}

bool Menu(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    const auto& w = args.words;
    ActionMgr* actions = nullptr;
    MenuMgr* menus = nullptr;
    if (w.empty()) return Usage("menu", error);
    if (!Managers(actions, menus, error)) return false;
    if (w[0] == "list" && w.size() == 1) {
        std::vector<std::string> keys = menus->Keys();
        if (keys.empty()) Show("no menus");
        for (const std::string& key : keys) {
            int32 count = menus->CountMenuItems(PMString(key, PMString::kNoTranslate));
            Show(menus->ShownPath(key) + " (" + std::to_string(count) + (count == 1 ? " entry)" : " entries)"));
        }
        return true;
    }
    if (w[0] == "answer" && w.size() == 2) {
        menus->QueueAnswer(w[1]);
        return true;
    }
    if ((w[0] != "show" || w.size() != 2) && (w[0] != "choose" || w.size() != 3)) return Usage("menu", error);
    std::string key = menus->Resolve(w[1]);
    if (key.empty()) {
        error = "no menu \"" + w[1] + "\"";
        return false;
    }
    if (w[0] == "show") {
        Show("menu " + menus->ShownPath(key) + ":");
        for (const std::string& line : MenuMgr::Lines(menus->Prepare(key, SysPoint{}, nullptr))) Show(line);
        return true;
    }
    bool chosen = false;
    if (!menus->Choose(key, w[2], SysPoint{}, nullptr, chosen, error)) return false;
    Show(chosen ? "chose " + w[2] : w[2] + " is disabled");
    return true;
}

bool Actions(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("actions", error);
    ActionMgr* actions = nullptr;
    MenuMgr* menus = nullptr;
    if (!Managers(actions, menus, error)) return false;
    std::vector<const ActionEntry*> all = actions->All();
    if (all.empty()) Show("no actions");
    std::vector<ActionID> ids;
    for (const ActionEntry* a : all) ids.push_back(a->id);
    std::map<ActionID, bool> states = actions->States(ids, SysPoint{}, nullptr);
    for (ActionID id : ids) {
        const ActionEntry* a = actions->Find(id);
        if (!a) continue;  // removed by a component while it was asked
        Show(Hex(id.Get()) + " " + DisplayText(a->name) + " [" + ClassLabel(a->componentClass) + "]" +
             (a->enabling == IActionManager::kAlwaysEnabled ? " host-enabled" : "") + (states[id] ? " enabled" : " disabled"));
    }
    return true;
}

ConsoleCommand gMenu("menu", "menu list | show PATH | choose PATH ITEM | answer ITEM|cancel",
                     "list the menus, show one, choose one of its items, or give the answer of the next pop-up menu", Menu);
ConsoleCommand gActions("actions", "actions", "list the actions: ID, name, component, whether enabled now", Actions);

}  // namespace

}  // namespace tshost
