// A component that performs menu actions and says which are enabled (IID 0xd201). The host
// calls DoAction when the user chooses a menu item of one of the component's actions (the
// fixed ones of the plug-in's resource file and those added with IActionManager::AddAction),
// and UpdateActionStates before it shows a menu holding actions it asks the component
// about. `context` is the session's active context; `where` the mouse position of the
// choice (a pop-up menu's position, else 0,0); `widget` the widget the menu was popped up
// from, or null. CActionComponent gives defaults. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMPoint.h"

class IActiveContext;
class IActionStateList;

class IActionComponent : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xd201 };

    virtual void DoAction(IActiveContext* context, ActionID action, SysPoint where = {}, IPMUnknown* widget = nullptr) = 0;
    virtual void UpdateActionStates(IActiveContext* context, IActionStateList* states, SysPoint where = {},
                                    IPMUnknown* widget = nullptr) = 0;
    // The older forms: the same with the session's active context, (0,0) and no widget.
    virtual void DoAction(ActionID action) = 0;
    virtual void UpdateActionStates(IActionStateList* states) = 0;
};
