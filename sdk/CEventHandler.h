// SDK base of event handlers: every event is left unhandled (kFalse), the key focus is
// accepted and given up freely, and SetView keeps the view for GetView.
// User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IEventHandler.h"

class CEventHandler : public CPMUnknown<IEventHandler> {
public:
    explicit CEventHandler(IPMUnknown* boss) : CPMUnknown<IEventHandler>(boss) {}

    bool16 Activate(IEvent*) override { return kFalse; }
    bool16 Deactivate(IEvent*) override { return kFalse; }
    bool16 Suspend(IEvent*) override { return kFalse; }
    bool16 Resume(IEvent*) override { return kFalse; }
    bool16 MouseMove(IEvent*) override { return kFalse; }
    bool16 MouseDrag(IEvent*) override { return kFalse; }
    bool16 LButtonDn(IEvent*) override { return kFalse; }
    bool16 RButtonDn(IEvent*) override { return kFalse; }
    bool16 MButtonDn(IEvent*) override { return kFalse; }
    bool16 LButtonUp(IEvent*) override { return kFalse; }
    bool16 RButtonUp(IEvent*) override { return kFalse; }
    bool16 MButtonUp(IEvent*) override { return kFalse; }
    bool16 ButtonDblClk(IEvent*) override { return kFalse; }
    bool16 ButtonTrplClk(IEvent*) override { return kFalse; }
    bool16 ButtonQuadClk(IEvent*) override { return kFalse; }
    bool16 ButtonQuintClk(IEvent*) override { return kFalse; }
    bool16 MouseWheel(IEvent*) override { return kFalse; }
    bool16 ControlCmd(IEvent*) override { return kFalse; }
    bool16 KeyDown(IEvent*) override { return kFalse; }
    bool16 KeyCmd(IEvent*) override { return kFalse; }
    bool16 KeyUp(IEvent*) override { return kFalse; }
    bool16 Update(IEvent*) override { return kFalse; }
    bool16 PlatformEvent(IEvent*) override { return kFalse; }
    bool16 CallSysEventHandler(IEvent*) override { return kFalse; }

    bool16 GetKeyFocus() override { return kTrue; }
    bool16 GiveUpKeyFocus() override { return kTrue; }
    bool16 WillingToGiveUpKeyFocus() override { return kTrue; }
    bool16 SuspendKeyFocus() override { return kTrue; }
    bool16 ResumeKeyFocus() override { return kTrue; }
    bool16 CanHaveKeyFocus() const override { return kFalse; }
    bool16 WantsTabKeyFocus() const override { return kFalse; }

    void SetView(IControlView* view) override { fView = view; }
    // Not counted: the view is the handler's own widget.
    IControlView* GetView() const { return fView; }

private:
    IControlView* fView = nullptr;
};
