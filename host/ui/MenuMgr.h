// The host's menus (IMenuManager 0xd204, on the application boss) and how the console and
// pop-ups show them. A menu is keyed by its path's text as written (IMenuManager.h); the
// path shown to the user is the key's translation when the string tables have one, else the
// key. A menu whose shown path is another's plus ":Name" is that menu's submenu "Name".
//
// Showing a menu (Prepare): the menu's dynamic menu, if its resource file named one, is
// rebuilt (RebuildMenu, as housekeeping that leaves no undo step); then the components are asked about the items' actions; the result
// lists the entries in position order (ties in the order added), then the submenus by name.
// Pop-ups show the same list on the transcript and take the next scripted answer: an
// entry's label, or "cancel"; with no answer queued the pop-up is dismissed. Choosing a
// disabled entry or one not in the menu dismisses it too. While the pop-up waits for its
// answer a ModalScope is held.
// User-interface thread only.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IMenuManager.h"
#include "PMPoint.h"

namespace tshost {

struct MenuEntry {
    enum Kind { kItem, kSeparator, kSubmenu };
    Kind kind = kItem;
    ActionID action;        // items and separators added with an ID
    std::string label;      // as shown; for submenus their name
    std::string path;       // submenus: the key of their menu
    bool enabled = false;   // items only
    bool known = false;     // items only: the action exists
};

class MenuMgr final : public CPMUnknown<IMenuManager> {
public:
    // A pop-up's transcript limit: a longer menu shows this many entries and "…".
    static constexpr std::size_t kMaxShownEntries = 200;
    // Entries one menu may hold; more are refused (kFailure) with a diagnostic.
    static constexpr std::size_t kMaxItems = 10000;

    explicit MenuMgr(IPMUnknown* boss) : CPMUnknown<IMenuManager>(boss) {}

    // The current host's manager; null without a host.
    static MenuMgr* Current();

    ErrorCode AddMenuItem(const ActionID& action, const PMString& menuPath, const PMReal& position, int32 style,
                          int32 options) override;
    ErrorCode RemoveMenuItem(const PMString& menuPath, const ActionID& action) override;
    ActionID HandlePopupMenu(const PMString& menuPath, const SysPoint& where, const SysPoint& localWhere, bool16 runAction,
                             IEventHandler* handler) override;
    int32 CountMenuItems(const PMString& menuPath) const override;

    // A plug-in's fixed separator (no action) and dynamic menu.
    void AddSeparator(const std::string& path, PMReal position);
    void SetDynamic(const std::string& path, ClassID cls);
    // Removes every entry of the action, in every menu.
    void RemoveItemsOf(ActionID action);

    // The key of the menu a user names by its key or its shown path; empty when none.
    std::string Resolve(const std::string& named) const;
    std::string ShownPath(const std::string& key) const;
    // Every menu key, by shown path.
    std::vector<std::string> Keys() const;
    std::vector<MenuEntry> Prepare(const std::string& key, SysPoint where, IPMUnknown* widget);
    // Prepares the menu and chooses the entry shown as `label`: performs it when enabled.
    // False, with `error`, when the menu has no such entry; `chosen` says whether it ran.
    bool Choose(const std::string& key, const std::string& label, SysPoint where, IPMUnknown* widget, bool& chosen,
                std::string& error);
    // The transcript lines of a prepared menu.
    static std::vector<std::string> Lines(const std::vector<MenuEntry>& entries);

    void QueueAnswer(std::string label) { fAnswers.push_back(std::move(label)); }
    std::size_t PendingAnswers() const { return fAnswers.size(); }

private:
    struct Item {
        ActionID action;
        PMReal position = 0;
        bool separator = false;
        uint64 serial = 0;
    };
    struct Menu {
        std::vector<Item> items;
        ClassID dynamicClass;
    };

    // The menu key of a path and whether the path names a separator.
    static std::string KeyOf(const PMString& path, bool& separator);

    std::map<std::string, Menu> fMenus;
    std::deque<std::string> fAnswers;
    uint64 fNextSerial = 1;
};

}  // namespace tshost
