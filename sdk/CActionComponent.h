// SDK base of action components: DoAction does nothing and UpdateActionStates leaves every
// state as the host made it (enabled), so a component overrides what it handles. The
// one-argument forms call the full forms with the session's active context; they live in
// the host library. User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IActionComponent.h"

class CActionComponent : public CPMUnknown<IActionComponent> {
public:
    explicit CActionComponent(IPMUnknown* boss) : CPMUnknown<IActionComponent>(boss) {}

    void DoAction(IActiveContext*, ActionID, SysPoint = {}, IPMUnknown* = nullptr) override {}
    void UpdateActionStates(IActiveContext*, IActionStateList*, SysPoint = {}, IPMUnknown* = nullptr) override {}
    void DoAction(ActionID action) override;
    void UpdateActionStates(IActionStateList* states) override;
};
