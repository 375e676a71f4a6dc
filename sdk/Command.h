// Base class of a plug-in's commands: keeps the item list and the target; subclasses
// override Do, DoNotify and CreateName. The command's parameters are further interfaces on
// the command's own boss. User-interface thread only.
#pragma once

#include <optional>

#include "CPMUnknown.h"
#include "ICommand.h"
#include "PMString.h"

class Command : public CPMUnknown<ICommand> {
public:
    explicit Command(IPMUnknown* boss) : CPMUnknown<ICommand>(boss) {}

    void SetItemList(const UIDList& items) override { fItemList = items; }
    const UIDList* GetItemList() const override { return fItemList ? &*fItemList : nullptr; }
    Target GetTarget() const override { return fTarget; }

protected:
    void SetTarget(Target target) { fTarget = target; }
    void DoNotify() override {}
    PMString* CreateName() override { return new PMString("Command", PMString::kNoTranslate); }

private:
    std::optional<UIDList> fItemList;
    Target fTarget = kItemListTarget;
};
