// A command: the only way persistent data changes. The host runs Do and then DoNotify as one
// undoable step (CmdUtils::ProcessCommand). A command addresses either its item list (the
// default) or a predefined target such as the session workspace.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class PMString;

class ICommand : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20001 };
    // Predefined targets: 0 is the session workspace itself.
    enum Target : int32 { kSessionWorkspaceTarget = 0, kItemListTarget = 1 };

    virtual void SetItemList(const UIDList& items) = 0;
    // Null when no item list was set.
    virtual const UIDList* GetItemList() const = 0;
    virtual Target GetTarget() const = 0;

    // Called by the host only.
    virtual void Do() = 0;
    virtual void DoNotify() = 0;
    // A newly allocated name for the undo history; the caller owns it.
    virtual PMString* CreateName() = 0;
};
