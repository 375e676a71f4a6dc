#include "MenuMgr.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "ActionMgr.h"
#include "Host.h"
#include "IApplication.h"
#include "IDynamicMenu.h"
#include "IEventHandler.h"
#include "InterfacePtr.h"
#include "Modal.h"
#include "StringTable.h"
#include "Transcript.h"
#include "UndoHistory.h"
#include "HexText.h"

namespace tshost {

namespace {

IActiveContext* Context() {
    Host* host = Host::Current();
    return host ? host->ActiveContext() : nullptr;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

MenuMgr* MenuMgr::Current() {
    Host* host = Host::Current();
    IApplication* application = host ? host->Application() : nullptr;
    InterfacePtr<IMenuManager> mgr(application, IID_OF<IMenuManager>());
    return dynamic_cast<MenuMgr*>(mgr.get());  // the application keeps it alive
}

std::string MenuMgr::KeyOf(const PMString& path, bool& separator) {
    std::string key = path.GetUTF8String();
    separator = key.size() >= 2 && key.compare(key.size() - 2, 2, ":-") == 0;
    if (separator) key.resize(key.size() - 2);
    return key;
}

ErrorCode MenuMgr::AddMenuItem(const ActionID& action, const PMString& menuPath, const PMReal& position, int32, int32) {
    bool separator = false;
    std::string key = KeyOf(menuPath, separator);
    if (key.empty() || (!separator && !action.IsValid())) return kInvalidParameterError;
    Menu& menu = fMenus[key];
    if (action.IsValid())
        for (Item& item : menu.items)
            if (item.action == action && item.separator == separator) {
                item.position = position;
                return kSuccess;
            }
    if (menu.items.size() >= kMaxItems) {
        Diagnose("menu " + ShownPath(key) + " holds " + std::to_string(kMaxItems) + " entries; no more are added");
        return kFailure;
    }
    menu.items.push_back(Item{action, position, separator, fNextSerial++});
    return kSuccess;
}

ErrorCode MenuMgr::RemoveMenuItem(const PMString& menuPath, const ActionID& action) {
    bool separator = false;
    std::string key = KeyOf(menuPath, separator);
    auto menu = fMenus.find(key);
    if (menu == fMenus.end() || !action.IsValid()) return kFailure;
    auto& items = menu->second.items;
    auto found = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.action == action && i.separator == separator; });
    if (found == items.end()) return kFailure;
    items.erase(found);
    return kSuccess;
}

int32 MenuMgr::CountMenuItems(const PMString& menuPath) const {
    bool separator = false;
    auto menu = fMenus.find(KeyOf(menuPath, separator));
    return menu == fMenus.end() ? 0 : static_cast<int32>(menu->second.items.size());
}

void MenuMgr::AddSeparator(const std::string& path, PMReal position) {
    bool separator = false;
    std::string key = KeyOf(PMString(path), separator);
    if (!key.empty()) fMenus[key].items.push_back(Item{kInvalidActionID, position, true, fNextSerial++});
}

void MenuMgr::SetDynamic(const std::string& path, ClassID cls) {
    if (!path.empty()) fMenus[path].dynamicClass = cls;
}

void MenuMgr::RemoveItemsOf(ActionID action) {
    for (auto& [key, menu] : fMenus) std::erase_if(menu.items, [&](const Item& i) { return i.action == action; });
}

std::string MenuMgr::ShownPath(const std::string& key) const {
    const std::string* text = StringTable::Get().Find(key);
    return text ? *text : key;
}

std::string MenuMgr::Resolve(const std::string& named) const {
    if (named.empty()) return {};
    if (fMenus.count(named)) return named;
    for (const auto& [key, menu] : fMenus)
        if (ShownPath(key) == named) return key;
    // A menu that holds only submenus ("Main" above "Main:Tessaron").
    for (const auto& [key, menu] : fMenus)
        if (StartsWith(ShownPath(key), named + ":")) return named;
    return {};
}

std::vector<std::string> MenuMgr::Keys() const {
    std::vector<std::pair<std::string, std::string>> shown;
    for (const auto& [key, menu] : fMenus) shown.emplace_back(ShownPath(key), key);
    std::sort(shown.begin(), shown.end());
    std::vector<std::string> keys;
    for (auto& [path, key] : shown) keys.push_back(key);
    return keys;
}

std::vector<MenuEntry> MenuMgr::Prepare(const std::string& key, SysPoint where, IPMUnknown* widget) {
    ActionMgr* actions = ActionMgr::Current();
    auto menu = fMenus.find(key);
    if (menu != fMenus.end() && menu->second.dynamicClass.IsValid() && actions) {
        InterfacePtr<IDynamicMenu> dynamic(actions->ComponentBoss(menu->second.dynamicClass), IID_OF<IDynamicMenu>());
        if (dynamic) {
            // A menu made anew for showing is the plug-in's own doing, not a step to undo.
            UndoHistory::Housekeeping housekeeping;
            try {
                dynamic->RebuildMenu(kInvalidActionID, widget);
            } catch (const std::exception& e) {
                Diagnose("RebuildMenu of " + ShownPath(key) + " failed: " + e.what());
            } catch (...) {
                Diagnose("RebuildMenu of " + ShownPath(key) + " failed");
            }
        } else {
            Diagnose("menu " + ShownPath(key) + ": class " + ClassLabel(menu->second.dynamicClass) + " has no dynamic menu");
        }
    }
    std::vector<Item> items;
    menu = fMenus.find(key);  // the rebuild may have changed the menus
    if (menu != fMenus.end()) items = menu->second.items;
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.position < b.position || (a.position == b.position && a.serial < b.serial);
    });
    std::vector<ActionID> ids;
    for (const Item& item : items)
        if (!item.separator) ids.push_back(item.action);
    std::map<ActionID, bool> states = actions ? actions->States(ids, where, widget) : std::map<ActionID, bool>();

    std::vector<MenuEntry> entries;
    for (const Item& item : items) {
        MenuEntry entry;
        entry.action = item.action;
        if (item.separator) {
            entry.kind = MenuEntry::kSeparator;
        } else if (const ActionEntry* action = actions ? actions->Find(item.action) : nullptr) {
            entry.label = DisplayText(action->name);
            entry.known = true;
            entry.enabled = states[item.action];
        } else {
            entry.label = "(action " + Hex(item.action.Get()) + ")";
        }
        entries.push_back(std::move(entry));
    }
    const std::string prefix = ShownPath(key) + ":";
    std::map<std::string, std::string> submenus;  // name → key
    for (const auto& [other, unused] : fMenus) {
        std::string shown = ShownPath(other);
        if (other == key || !StartsWith(shown, prefix)) continue;
        std::string rest = shown.substr(prefix.size());
        std::size_t colon = rest.find(':');
        std::string name = rest.substr(0, colon);
        if (name.empty()) continue;
        std::string path = colon == std::string::npos ? other : prefix + name;
        submenus.emplace(name, path);
    }
    for (const auto& [name, path] : submenus) {
        MenuEntry entry;
        entry.kind = MenuEntry::kSubmenu;
        entry.label = name;
        entry.path = path;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool MenuMgr::Choose(const std::string& key, const std::string& label, SysPoint where, IPMUnknown* widget, bool& chosen,
                     std::string& error) {
    chosen = false;
    std::vector<MenuEntry> entries = Prepare(key, where, widget);
    auto found = std::find_if(entries.begin(), entries.end(), [&](const MenuEntry& e) { return e.kind == MenuEntry::kItem && e.label == label; });
    if (found == entries.end()) {
        error = "menu " + ShownPath(key) + " has no item \"" + label + "\"";
        return false;
    }
    if (!found->enabled) return true;
    ActionMgr* actions = ActionMgr::Current();
    chosen = actions && actions->Perform(Context(), found->action, where, widget);
    return true;
}

std::vector<std::string> MenuMgr::Lines(const std::vector<MenuEntry>& entries) {
    std::vector<std::string> lines;
    for (const MenuEntry& e : entries) {
        if (lines.size() >= kMaxShownEntries) {
            lines.push_back("  …");
            break;
        }
        if (e.kind == MenuEntry::kSeparator) lines.push_back("  ----");
        else if (e.kind == MenuEntry::kSubmenu) lines.push_back("  " + e.label + " >");
        else lines.push_back("  " + e.label + (e.enabled ? "" : " (disabled)"));
    }
    if (lines.empty()) lines.push_back("  (empty)");
    return lines;
}

ActionID MenuMgr::HandlePopupMenu(const PMString& menuPath, const SysPoint& where, const SysPoint&, bool16 runAction,
                                  IEventHandler* handler) {
    bool separator = false;
    std::string key = KeyOf(menuPath, separator);
    IPMUnknown* widget = handler;
    std::vector<MenuEntry> entries = Prepare(key, where, widget);
    Show("pop-up menu " + ShownPath(key) + " at " + std::to_string(where.h) + "," + std::to_string(where.v) + ":");
    for (const std::string& line : Lines(entries)) Show(line);
    std::string answer;
    {
        ModalScope scope;
        if (!fAnswers.empty()) {
            answer = std::move(fAnswers.front());
            fAnswers.pop_front();
        }
    }
    if (answer.empty() || answer == "cancel") {
        Show("-> dismissed");
        return kInvalidActionID;
    }
    auto found = std::find_if(entries.begin(), entries.end(), [&](const MenuEntry& e) { return e.kind == MenuEntry::kItem && e.label == answer; });
    if (found == entries.end()) {
        Show("-> \"" + answer + "\" is not in the menu; dismissed");
        return kInvalidActionID;
    }
    if (!found->enabled) {
        Show("-> " + answer + " is disabled; dismissed");
        return kInvalidActionID;
    }
    Show("-> " + answer);
    if (runAction)
        if (ActionMgr* actions = ActionMgr::Current()) actions->Perform(Context(), found->action, where, widget);
    return found->action;
}

}  // namespace tshost
