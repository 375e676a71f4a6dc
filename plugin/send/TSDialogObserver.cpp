#include "CDialogObserver.h"
#include "IControlView.h"
#include "IDialogController.h"
#include "IPanelControlData.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "ISession.h"
#include "IActiveContext.h"
#include "TSFileNameTemplate.h"
#include "TSID.h"
#include "TSSendDialogIDs.h"
#include "WidgetIDs.h"

// Keeps the send dialog's file name in step with the user's edits: typing a page range
// selects the Range radio, and every edit of the range or the user input, and every choice
// of a page radio, expands the file-name template again. Attached after the dialog's set-up,
// so the set-up's own changes are no user edits. User-interface thread only.
class TSDialogObserver : public CDialogObserver {
public:
    explicit TSDialogObserver(IPMUnknown* boss) : CDialogObserver(boss) {}

    void AutoAttach() override;
    void AutoDetach() override;
    void Update(const ClassID& message, ISubject* subject, const PMIID& protocol, void* changedBy) override;

    void UpdateRangeRadioBtnStatus();
    // `changedRadio`: the radio just selected, or kInvalidWidgetID after a text change.
    void UpdateFileName(WidgetID changedRadio);

private:
    struct Watched {
        WidgetID widget;
        PMIID protocol;
    };
    static constexpr Watched kWatched[] = {
        {kTSUserInputEditBoxWidgetID, IID_ITEXTCONTROLDATA},
        {kTSPageRangeEditBoxWidgetID, IID_ITEXTCONTROLDATA},
        {kTSAllPagesRadioWidgetID, IID_ITRISTATECONTROLDATA},
        {kTSPageRangeRadioWidgetID, IID_ITRISTATECONTROLDATA},
    };
};

void TSDialogObserver::AutoAttach() {
    CDialogObserver::AutoAttach();
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    for (const Watched& w : kWatched) AttachToWidget(w.widget, w.protocol, panel.get());
}

void TSDialogObserver::AutoDetach() {
    CDialogObserver::AutoDetach();
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    for (const Watched& w : kWatched) DetachFromWidget(w.widget, w.protocol, panel.get());
}

void TSDialogObserver::Update(const ClassID& message, ISubject* subject, const PMIID& protocol, void* changedBy) {
    CDialogObserver::Update(message, subject, protocol, changedBy);
    InterfacePtr<IControlView> view(subject, IID_OF<IControlView>());
    if (!view) return;
    const WidgetID widget = view->GetWidgetID();
    if (protocol == IID_ITEXTCONTROLDATA && message == kTextChangeStateMessage) {
        if (widget == kTSPageRangeEditBoxWidgetID) UpdateRangeRadioBtnStatus();
        UpdateFileName(kInvalidWidgetID);
    } else if (protocol == IID_ITRISTATECONTROLDATA && message == kTrueStateMessage &&
               (widget == kTSAllPagesRadioWidgetID || widget == kTSPageRangeRadioWidgetID)) {
        // Only the page radios: OK and Cancel speak the same protocol, and OK may already
        // have closed the dialog and its document.
        UpdateFileName(widget);
    }
}

void TSDialogObserver::UpdateRangeRadioBtnStatus() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* radio = panel ? panel->FindWidget(kTSPageRangeRadioWidgetID, 9999) : nullptr;
    InterfacePtr<ITriStateControlData> state(radio, IID_OF<ITriStateControlData>());
    if (state) state->Select(kTrue, kTrue);
}

void TSDialogObserver::UpdateFileName(WidgetID changedRadio) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    InterfacePtr<ITextControlData> userInput(panel->FindWidget(kTSUserInputEditBoxWidgetID, 9999), IID_OF<ITextControlData>());
    if (!userInput) return;
    PMString input = userInput->GetString();
    input.StripWhiteSpace(PMString::kLeadingAndTrailingWhiteSpace);
    InterfacePtr<ITextControlData> fileName(panel->FindWidget(kTSFileNameEditBoxWidgetID, 9999), IID_OF<ITextControlData>());
    if (!fileName) return;

    TSFileNameTemplate::Values values = TSFileNameTemplate::CurrentValues();
    if (InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>()); controller) {
        const WidgetID radio =
            changedRadio.IsValid() ? changedRadio : controller->GetSelectedClusterWidget(kTSPagesClusterWidgetID);
        PMString range;
        if (radio == kTSPageRangeRadioWidgetID) {
            range = controller->GetTextControlData(kTSPageRangeEditBoxWidgetID);
            values.pageNumber = range;
        } else {
            IActiveContext* context = gSession ? gSession->GetActiveContext() : nullptr;
            if (TSFileNameTemplate::AllPagesRangeText(context ? context->GetContextDocument() : nullptr, range))
                values.pageNumber = range;
        }
    }
    values.userInput = input.IsEmpty() ? PMString("user_input", PMString::kNoTranslate) : input;
    fileName->SetString(TSFileNameTemplate::Expand(g_FileNameDefination, values), kTrue, kTrue, kTrue);
}

CREATE_PMINTERFACE(TSDialogObserver, kTSDialogObserverImpl);
