// The application's actions (asked of the application boss): every action has an ID, a
// name (shown as its menu items' label), an area, the component that performs it and a way
// of being enabled. The plug-in's fixed actions come from its resource file; AddAction adds
// more while the host runs (they are not kept across a restart).
//
// AddAction's arguments after the area, as this host reads them:
//   kind           kNormalAction (0), the only kind;
//   enabling       kAlwaysEnabled (0): the host enables the action itself; kAskComponent
//                  (1): the component's UpdateActionStates decides;
//   selectionIID   the selection the action acts on; kInvalidInterfaceID for none (unused);
//   userEditable   0: the user cannot give it a shortcut (unused).
// Adding an ID that exists replaces that action (its menu items stay). The manager holds a
// reference to the component until the action is removed.
// RemoveAction(action, removeMenuItems, owner): removes the action, and with
// removeMenuItems also its menu items; `owner` kInvalidClass removes it whoever added it,
// else only when its component's boss is of that class. Removing an unknown action is
// harmless (kFailure). User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IActionComponent;
class IActiveContext;
class IMenuManager;

class IActionManager : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20600 };
    enum : int32 { kNormalAction = 0 };
    enum : int32 { kAlwaysEnabled = 0, kAskComponent = 1 };

    virtual ErrorCode AddAction(IActionComponent* component, const ActionID& action, const PMString& name,
                                const PMString& area, int32 kind = kNormalAction, int32 enabling = kAskComponent,
                                const PMIID& selectionIID = kInvalidInterfaceID, int32 userEditable = 0) = 0;
    virtual ErrorCode RemoveAction(const ActionID& action, bool16 removeMenuItems = kFalse,
                                   const ClassID& owner = kInvalidClass) = 0;
    virtual bool16 IsValidAction(const ActionID& action) const = 0;
    // The action's name; empty for unknown actions.
    virtual PMString GetActionName(const ActionID& action) const = 0;
    // Asks the action's component (or the host, for kAlwaysEnabled) now.
    virtual bool16 IsEnabled(const ActionID& action) = 0;
    // Performs the action when it is enabled; kFailure when it is unknown or disabled.
    virtual ErrorCode PerformAction(IActiveContext* context, const ActionID& action) = 0;
    // The menu manager (0xd204), counted.
    virtual IMenuManager* QueryMenuManager() const = 0;
};
