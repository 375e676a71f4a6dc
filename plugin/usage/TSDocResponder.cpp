#include "CResponder.h"
#include "IDocumentSignalData.h"
#include "ISignalMgr.h"
#include "IResponder.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "TSPendingSend.h"

namespace {

bool IsFront(const UIDRef& doc) {
    UIDRef front;
    return TSLookUpFrontDocument(front) && front == doc;
}

// The idle trackers marked the front document or the application inactive and no user
// event has come since: the front document's timer then holds the moment it went idle, and
// the time since is not work.
bool FrontIsIdle() { return g_IdleMouseStatus || g_IdleAppStatus; }

}  // namespace

// Turns the document signals into the usage log: a created or opened document gets its
// open line, the front document is tracked from the first time it comes to the front,
// switching documents marks one active and the other inactive, and a closing document's
// log is closed and written into its metadata, once a send of it still uploading has ended.
// All but the front-document change also refresh the projects panel's buttons.
//
// Time is booked for the front document only, and only while the idle trackers have not
// marked it or the application inactive: when it leaves the front (a switch, or its close)
// its period up to then is booked, after the checks the trackers owe (TSCheckActivity), and
// a document coming to the front starts a new one.
// A document behind another never runs a period, so nothing is booked twice.
class TSDocResponder : public CResponder {
public:
    explicit TSDocResponder(IPMUnknown* boss) : CResponder(boss) {}

    void Respond(ISignalMgr* signalMgr) override;

private:
    static void FrontDocumentChanged(TSActiveMapper* mapper, const UIDRef& doc, int32 t, UIDRef& lastDocRef);
};

void TSDocResponder::Respond(ISignalMgr* signalMgr) {
    if (!signalMgr) return;
    ServiceID service = signalMgr->GetServiceID();
    InterfacePtr<IDocumentSignalData> data(signalMgr, IID_OF<IDocumentSignalData>());
    if (!data) return;
    UIDRef doc = data->GetDocument();

    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    int32 t = mapper->Time();

    // The front document after the last change of front document, while it is open. A
    // static, so it does not matter whether the host keeps one responder or makes several.
    static UIDRef fLastDocRef = UIDRef::gNull;

    if (service == kAfterNewDocSignalResponderService || service == kAfterOpenDocSignalResponderService) {
        TSPanelUtils::UpdateTSPanelBtnStates();
        mapper->UpdateFirstActiveEntry(doc, t);
    } else if (service == kBeforeCloseDocSignalResponderService) {
        TSPanelUtils::UpdateTSPanelBtnStates();
        // A send of this document still uploading belongs in the log written below.
        TSPendingSend::FinishBeforeClose(doc);
        if (IsFront(doc)) {
            TSCheckActivity(mapper, doc, t);
            if (!FrontIsIdle()) mapper->ModifyActiveTime(doc, t);
        }
        mapper->CloseXMPFile(doc, t);
        mapper->UpdateXMPProperty(doc);
        mapper->ClearMonitorLog(doc);
    } else if (service == kAfterCloseDocSignalResponderService) {
        TSPanelUtils::UpdateTSPanelBtnStates();
        // Its reference may name a later document, which must not be taken for it.
        if (doc == fLastDocRef) fLastDocRef = UIDRef::gNull;
    } else if (service == kFrontDocChangedSignalResponderService) {
        FrontDocumentChanged(mapper, doc, t, fLastDocRef);
    }
}

void TSDocResponder::FrontDocumentChanged(TSActiveMapper* mapper, const UIDRef& doc, int32 t, UIDRef& lastDocRef) {
    // Tracked from its first time in front; does nothing for a tracked document.
    mapper->AddAction(doc, t);
    if (doc == lastDocRef) return;

    UIDRef prev = lastDocRef;
    lastDocRef = doc;
    // Checks held up (a modal dialog, the machine's sleep) first end the period of the
    // document left behind where they would have.
    if (prev != UIDRef::gNull) TSCheckActivity(mapper, prev, t);
    mapper->UpdateActiveEntry(doc, t);
    mapper->UpdateActiveTimer(doc, t);
    if (prev != UIDRef::gNull) {
        // `prev` was the front document until now, so the idle flags are about it: an idle
        // document's timer holds the moment it went idle.
        if (!FrontIsIdle()) mapper->ModifyActiveTime(prev, t);
        mapper->UpdateInactiveEntry(prev, t);
    }
    // Choosing another document is the user at work: the new one is active from now.
    g_IdleMouseStatus = kFalse;
}

CREATE_PMINTERFACE(TSDocResponder, kTSDocResponderImpl);
