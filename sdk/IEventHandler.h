// Handles the user's mouse and keyboard events on a widget or view. The host delivers every
// event of a widget to the event handler of the widget's boss (this IID), never to a cached
// handler, and calls SetView through the same interface when the widget is made. Each event
// operation returns kTrue when it handled (consumed) the event.
// A widget's own handler may be wrapped: a plug-in puts its handler under this IID and keeps
// the host's under one of its own IIDs, forwarding to it (the host answers such a query with
// the same long-lived object each time). User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IEvent;
class IControlView;

class IEventHandler : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20006 };

    virtual bool16 Activate(IEvent* e) = 0;
    virtual bool16 Deactivate(IEvent* e) = 0;
    virtual bool16 Suspend(IEvent* e) = 0;
    virtual bool16 Resume(IEvent* e) = 0;
    virtual bool16 MouseMove(IEvent* e) = 0;
    virtual bool16 MouseDrag(IEvent* e) = 0;
    virtual bool16 LButtonDn(IEvent* e) = 0;
    virtual bool16 RButtonDn(IEvent* e) = 0;
    virtual bool16 MButtonDn(IEvent* e) = 0;
    virtual bool16 LButtonUp(IEvent* e) = 0;
    virtual bool16 RButtonUp(IEvent* e) = 0;
    virtual bool16 MButtonUp(IEvent* e) = 0;
    virtual bool16 ButtonDblClk(IEvent* e) = 0;
    virtual bool16 ButtonTrplClk(IEvent* e) = 0;
    virtual bool16 ButtonQuadClk(IEvent* e) = 0;
    virtual bool16 ButtonQuintClk(IEvent* e) = 0;
    virtual bool16 MouseWheel(IEvent* e) = 0;
    virtual bool16 ControlCmd(IEvent* e) = 0;
    virtual bool16 KeyDown(IEvent* e) = 0;
    virtual bool16 KeyCmd(IEvent* e) = 0;
    virtual bool16 KeyUp(IEvent* e) = 0;
    virtual bool16 Update(IEvent* e) = 0;
    virtual bool16 PlatformEvent(IEvent* e) = 0;
    virtual bool16 CallSysEventHandler(IEvent* e) = 0;

    // Key focus; none takes an event.
    virtual bool16 GetKeyFocus() = 0;
    virtual bool16 GiveUpKeyFocus() = 0;
    virtual bool16 WillingToGiveUpKeyFocus() = 0;
    virtual bool16 SuspendKeyFocus() = 0;
    virtual bool16 ResumeKeyFocus() = 0;
    virtual bool16 CanHaveKeyFocus() const = 0;
    virtual bool16 WantsTabKeyFocus() const = 0;

    // The widget whose events this handler receives.
    virtual void SetView(IControlView* view) = 0;
};
