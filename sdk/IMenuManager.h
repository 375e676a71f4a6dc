// The application's menus (IID 0xd204, asked of the application boss or of the action
// manager). A menu is named by its path, a string key such as "Main:Tessaron" or
// "0x61000kTSDynMnuTargetMenuPath"; menus are matched on the path's text as written, before
// any translation, so a translatable and a not-translatable PMString of the same key name
// the same menu. A path ending in ":-" places a separator in the menu of the path without
// it. Items are ordered by position; an item shows its action's name.
//
// AddMenuItem(action, path, position, style, options): style and options are 0 (plain
// item); the host gives no other values a meaning. Adding an action to a path it is already
// in moves it to the new position.
// RemoveMenuItem(path, action): kFailure when the item is not there.
// HandlePopupMenu(path, where, localWhere, runAction, handler): rebuilds the path's dynamic
// menu, asks the components for the items' states, shows the menu at `where` and waits for
// the user's choice; with runAction kTrue the chosen enabled item's action is performed
// before it returns. Returns the chosen action, or kInvalidActionID when the menu was
// dismissed, nothing was chosen or the path has no items. `handler` is the event handler
// that popped the menu up (its boss is passed to RebuildMenu and DoAction as the widget).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMPoint.h"
#include "PMString.h"

class IEventHandler;

class IMenuManager : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xd204 };

    virtual ErrorCode AddMenuItem(const ActionID& action, const PMString& menuPath, const PMReal& position,
                                  int32 style = 0, int32 options = 0) = 0;
    virtual ErrorCode RemoveMenuItem(const PMString& menuPath, const ActionID& action) = 0;
    virtual ActionID HandlePopupMenu(const PMString& menuPath, const SysPoint& where, const SysPoint& localWhere,
                                     bool16 runAction = kTrue, IEventHandler* handler = nullptr) = 0;
    // The number of entries (items and separators) the path's menu holds now.
    virtual int32 CountMenuItems(const PMString& menuPath) const = 0;
};
