#include "CEventHandler.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSID.h"

// The layout view's event handler: notes that the user works, and brings the front
// document and the application back to active after the idle trackers marked them
// inactive. The view's own handler, kept on the same boss, gets every call unchanged and
// its answer is returned; this handler holds no reference to it between calls.
class TSLayoutTrackerEH : public CEventHandler {
public:
    explicit TSLayoutTrackerEH(IPMUnknown* boss) : CEventHandler(boss) {}

    bool16 Activate(IEvent* e) override { return Pass(&IEventHandler::Activate, e); }
    bool16 Deactivate(IEvent* e) override { return Pass(&IEventHandler::Deactivate, e); }
    bool16 Suspend(IEvent* e) override { return Pass(&IEventHandler::Suspend, e); }
    bool16 Resume(IEvent* e) override { return Pass(&IEventHandler::Resume, e); }
    // A mouse passing over the page is no sign of work.
    bool16 MouseMove(IEvent* e) override { return Pass(&IEventHandler::MouseMove, e); }
    bool16 MouseDrag(IEvent* e) override { return Track(&IEventHandler::MouseDrag, e); }
    bool16 LButtonDn(IEvent* e) override { return Track(&IEventHandler::LButtonDn, e); }
    bool16 RButtonDn(IEvent* e) override { return Track(&IEventHandler::RButtonDn, e); }
    bool16 MButtonDn(IEvent* e) override { return Track(&IEventHandler::MButtonDn, e); }
    bool16 LButtonUp(IEvent* e) override { return Track(&IEventHandler::LButtonUp, e); }
    bool16 RButtonUp(IEvent* e) override { return Track(&IEventHandler::RButtonUp, e); }
    bool16 MButtonUp(IEvent* e) override { return Track(&IEventHandler::MButtonUp, e); }
    bool16 ButtonDblClk(IEvent* e) override { return Track(&IEventHandler::ButtonDblClk, e); }
    bool16 ButtonTrplClk(IEvent* e) override { return Track(&IEventHandler::ButtonTrplClk, e); }
    bool16 ButtonQuadClk(IEvent* e) override { return Track(&IEventHandler::ButtonQuadClk, e); }
    bool16 ButtonQuintClk(IEvent* e) override { return Track(&IEventHandler::ButtonQuintClk, e); }
    bool16 MouseWheel(IEvent* e) override { return Track(&IEventHandler::MouseWheel, e); }
    bool16 ControlCmd(IEvent* e) override { return Pass(&IEventHandler::ControlCmd, e); }
    bool16 KeyDown(IEvent* e) override { return Track(&IEventHandler::KeyDown, e); }
    bool16 KeyCmd(IEvent* e) override { return Track(&IEventHandler::KeyCmd, e); }
    bool16 KeyUp(IEvent* e) override { return Track(&IEventHandler::KeyUp, e); }
    bool16 Update(IEvent* e) override { return Pass(&IEventHandler::Update, e); }
    bool16 PlatformEvent(IEvent* e) override { return Pass(&IEventHandler::PlatformEvent, e); }
    bool16 CallSysEventHandler(IEvent* e) override { return Pass(&IEventHandler::CallSysEventHandler, e); }

    bool16 GetKeyFocus() override {
        UpdateActiveEntry();
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->GetKeyFocus() : CEventHandler::GetKeyFocus();
    }
    bool16 GiveUpKeyFocus() override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->GiveUpKeyFocus() : CEventHandler::GiveUpKeyFocus();
    }
    bool16 WillingToGiveUpKeyFocus() override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->WillingToGiveUpKeyFocus() : CEventHandler::WillingToGiveUpKeyFocus();
    }
    bool16 SuspendKeyFocus() override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->SuspendKeyFocus() : CEventHandler::SuspendKeyFocus();
    }
    bool16 ResumeKeyFocus() override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->ResumeKeyFocus() : CEventHandler::ResumeKeyFocus();
    }
    bool16 CanHaveKeyFocus() const override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->CanHaveKeyFocus() : CEventHandler::CanHaveKeyFocus();
    }
    bool16 WantsTabKeyFocus() const override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? original->WantsTabKeyFocus() : CEventHandler::WantsTabKeyFocus();
    }
    void SetView(IControlView* view) override {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        if (original) {
            original->SetView(view);
        } else {
            CEventHandler::SetView(view);
        }
    }

    // Notes the user's activity; on the way back from inactivity it restarts the front
    // document's timer and writes the active lines the trackers' inactive lines call for.
    void UpdateActiveEntry();

private:
    static void NoteActivity(int32 t) {
        g_ActiveMouseStatus = kTrue;
        g_ActivityTime = t;
    }

    using EventCall = bool16 (IEventHandler::*)(IEvent*);

    // Asked afresh on every call: the host answers with its one long-lived handler.
    InterfacePtr<IEventHandler> QueryOriginal() const {
        return InterfacePtr<IEventHandler>(this, kTSLayoutOriginalHandlerInterfaceID);
    }
    // Without the view's own handler (a resource file that lacks it) an event stays
    // unhandled, as with no handler at all.
    bool16 Pass(EventCall call, IEvent* e) const {
        InterfacePtr<IEventHandler> original = QueryOriginal();
        return original ? (original.get()->*call)(e) : kFalse;
    }
    bool16 Track(EventCall call, IEvent* e) {
        UpdateActiveEntry();
        return Pass(call, e);
    }
};

void TSLayoutTrackerEH::UpdateActiveEntry() {
    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    const int32 t = mapper->Time();
    // The common case, while the user works and the checks run in time: only noted.
    if (!g_IdleAppStatus && !g_IdleMouseStatus && TSElapsedSeconds(g_CheckedTime, t) <= kTSCheckSeconds) {
        NoteActivity(t);
        return;
    }
    UIDRef doc;
    if (!TSLookUpFrontDocument(doc)) {
        NoteActivity(t);
        return;
    }
    // Checks held up (a modal dialog, the machine's sleep) first find what they would have:
    // the quiet minutes before this event may have ended the document's period.
    TSCheckActivity(mapper, doc, t);
    if (g_IdleMouseStatus || g_IdleAppStatus) mapper->UpdateActiveTimer(doc, t);
    if (g_IdleMouseStatus) {
        mapper->UpdateActiveEntry(doc, t);
        g_IdleMouseStatus = kFalse;
    }
    if (g_IdleAppStatus) {
        mapper->UpdateActiveAppEntry(t);
        g_IdleAppStatus = kFalse;
    }
    NoteActivity(t);
}

CREATE_PMINTERFACE(TSLayoutTrackerEH, kTSLayoutTrackerEHImpl);
