#include "UiTestPlugin.h"

#include <cstdio>

#include "AbstractDialogObserver.h"
#include "CDialogController.h"
#include "CDialogObserver.h"
#include "CPanelCreator.h"
#include "CreateObject.h"
#include "FileUtils.h"
#include "HexText.h"
#include "IControlView.h"
#include "IPanelMgr.h"
#include "ISelectFolderDialog.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITip.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "MEditBoxEventHandler.h"
#include "PalettePanelView.h"
#include "SysFileList.h"
#include "UtilsBoss.h"
#include "WidgetIDs.h"

namespace uitest {

namespace {

constexpr ImplementationID kControllerImpl{0x7e400}, kDialogObserverImpl{0x7e401}, kEditBoxHandlerImpl{0x7e402},
    kPageObserverImpl{0x7e403}, kPanelViewImpl{0x7e404}, kTipImpl{0x7e405}, kPrefsCreatorImpl{0x7e407};

using tshost::Hex;

WidgetID IDOf(IPMUnknown* widget) {
    InterfacePtr<IControlView> view(widget, IID_OF<IControlView>());
    return view ? view->GetWidgetID() : WidgetID(0);
}

bool OnPrefsPage(IPMUnknown* self) { return IDOf(self) == kPrefsPage; }

std::string Describe(const ClassID& change, ISubject* subject, const PMIID& protocol) {
    return "update " + Hex(change.Get()) + " " + Hex(IDOf(subject).Get()) + " on " + Hex(protocol.Get());
}

// The send dialog's controller and the Preferences page's, told apart by the panel they are on.
class Controller : public CDialogController {
public:
    explicit Controller(IPMUnknown* boss) : CDialogController(boss) {}
    void InitializeDialogFields(IActiveContext* context) override {
        CDialogController::InitializeDialogFields(context);
        // Programmatic changes before the observer attaches: none may reach it.
        bool prefs = OnPrefsPage(this);
        SetTextControlData(prefs ? kPrefsUser : kNameBox, PMString(prefs ? "ana" : "Flyer", PMString::kNoTranslate));
        if (!prefs) SetSelectedClusterWidget(kCluster, kAllRadio);
        Rec().Add(prefs ? "prefs init" : "init");
    }
    WidgetID ValidateDialogFields(IActiveContext*) override {
        Rec().Add(OnPrefsPage(this) ? "prefs validate" : "validate");
        return WidgetID(Rec().invalidWidget);
    }
    void ApplyDialogFields(IActiveContext*, const WidgetID& widget) override {
        if (OnPrefsPage(this))
            Rec().Add("prefs apply user=" + GetTextControlData(kPrefsUser).GetUTF8String());
        else
            Rec().Add("apply " + Hex(widget.Get()) + " name=" + GetTextControlData(kNameBox).GetUTF8String() +
                      " radio=" + Hex(GetSelectedClusterWidget(kCluster).Get()) +
                      " preset=" + GetTextControlData(kPresetDropDown).GetUTF8String());
    }
    void ResetDialogFields(IActiveContext*) override {
        if (!OnPrefsPage(this)) Rec().Add("cancelled");
    }
    void ClosingDialog(IActiveContext*) override {
        if (!OnPrefsPage(this)) Rec().Add("closing");
    }
};

class DialogObserver : public CDialogObserver {
public:
    explicit DialogObserver(IPMUnknown* boss) : CDialogObserver(boss) {}
    void AutoAttach() override {
        CDialogObserver::AutoAttach();
        for (WidgetID radio : {kAllRadio, kRangeRadio}) AttachToWidget(radio, IID_ITRISTATECONTROLDATA);
        AttachToWidget(kRangeBox, IID_ITEXTCONTROLDATA);
        Rec().Add("attach");
    }
    void AutoDetach() override {
        CDialogObserver::AutoDetach();
        for (WidgetID radio : {kAllRadio, kRangeRadio}) DetachFromWidget(radio, IID_ITRISTATECONTROLDATA);
        DetachFromWidget(kRangeBox, IID_ITEXTCONTROLDATA);
        Rec().Add("detach");
    }
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void* changedBy) override {
        Rec().Add(Describe(change, subject, protocol));
        CDialogObserver::Update(change, subject, protocol, changedBy);
        if (IDOf(subject) != kRangeBox) return;
        InterfacePtr<ITextControlData> text(subject, IID_OF<ITextControlData>());
        Rec().Add("range text " + text->GetString().GetUTF8String());
        if (Rec().echoStorm) return subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
        // Nested: selecting the radio broadcasts back into this observer.
        InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>());
        controller->SetSelectedClusterWidget(kCluster, kRangeRadio);
    }
};

class EditBoxHandler : public CEditBoxEventHandler {
public:
    explicit EditBoxHandler(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}
    bool16 KeyCmd(IEvent* e) override { return (fEdited = CEditBoxEventHandler::KeyCmd(e) != kFalse) ? kTrue : kFalse; }
    bool16 KeyUp(IEvent* e) override {
        bool16 result = CEditBoxEventHandler::KeyUp(e);
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (std::exchange(fEdited, false) && subject) subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
        return result;
    }

private:
    bool fEdited = false;
};

// The panel's observer and the Preferences page's, where Browse asks the folder dialog and
// accepts exactly one folder.
class PageObserver : public AbstractDialogObserver {
public:
    explicit PageObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
    void AutoAttach() override {
        AttachToWidget(OnPrefsPage(this) ? kBrowseButton : kPanelButton, Protocol());
        InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
        InterfacePtr<IControlView> self(panels ? panels->QueryPanelByWidgetID(kPanelWidget) : nullptr);
        Rec().Add(OnPrefsPage(this) ? "prefs attach" : std::string("panel attach, findable=") + (self ? "yes" : "no"));
    }
    void AutoDetach() override {
        DetachFromWidget(OnPrefsPage(this) ? kBrowseButton : kPanelButton, Protocol());
        Rec().Add(OnPrefsPage(this) ? "prefs detach" : "panel detach");
    }
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) override {
        Rec().Add(Describe(change, subject, protocol));
        InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>());
        if (!OnPrefsPage(this) || !controller) return;
        InterfacePtr<ISelectFolderDialog> dialog(static_cast<ISelectFolderDialog*>(CreateObject(ClassID(0xE1C), PMIID(0xE1D))));
        SysFileList files;
        PMString path;
        dialog->SetUp(ISelectFolderDialog::kChooseOneFolder);
        if (dialog->DoDialog(&files, PMString("Choose a Folder"), nullptr, kFalse, nullptr) && files.GetFileCount() == 1) {
            FileUtils::IDFileToPMString(*files.GetNthFile(0), path);
            controller->SetTextControlData(kPrefsUser, path);
        }
        Rec().Add("browse chose " + (path.IsEmpty() ? std::string("nothing") : path.GetUTF8String()));
    }

private:
    PMIID Protocol() { return OnPrefsPage(this) ? IID_IBOOLEANCONTROLDATA : IID_ITRISTATECONTROLDATA; }
};

class PanelView : public PalettePanelView {
public:
    explicit PanelView(IPMUnknown* boss) : PalettePanelView(boss) {}
    // Limits just past the bounds, compared exactly, as the product's panel does.
    PMPoint ConstrainDimensions(const PMPoint& desired) const override {
        PMPoint size = desired;
        if (size.X() > 1100.00000001) size.X(1100.0);
        if (size.X() < 399.99999999) size.X(400.0);
        if (size.Y() > 700.00000001) size.Y(700.0);
        if (size.Y() < 379.99999999) size.Y(380.0);
        return size;
    }
};

class Tip : public CPMUnknown<ITip> {
public:
    explicit Tip(IPMUnknown* boss) : CPMUnknown<ITip>(boss) {}
    PMString GetTipText(const PMPoint&, TipWindowPlacementAdvice*) override {
        return PMString(IDOf(this) == kPanelButton ? "Refresh" : "", PMString::kNoTranslate);
    }
};

class PrefsCreator : public CPanelCreator {
public:
    explicit PrefsCreator(IPMUnknown* boss) : CPanelCreator(boss) {}
    RsrcID GetPanelRsrcID() const override { return RsrcID(1008); }
};

CREATE_PMINTERFACE(Controller, kControllerImpl);
CREATE_PMINTERFACE(DialogObserver, kDialogObserverImpl);
CREATE_PMINTERFACE(EditBoxHandler, kEditBoxHandlerImpl);
CREATE_PMINTERFACE(PageObserver, kPageObserverImpl);
CREATE_PERSIST_PMINTERFACE(PanelView, kPanelViewImpl);
CREATE_PMINTERFACE(Tip, kTipImpl);
CREATE_PMINTERFACE(PrefsCreator, kPrefsCreatorImpl);

PlugIn gPlugIn(kUiTestPluginID);

}  // namespace

void Recorder::Add(std::string event) {
#ifdef UITEST_ECHO
    std::printf("plug-in: %s\n", event.c_str());
    std::fflush(stdout);
#endif
    events.push_back(std::move(event));
}

Recorder& Rec() {
    static Recorder recorder;
    return recorder;
}

PlugIn* UiTestGetPlugIn() { return &gPlugIn; }

}  // namespace uitest

extern "C" __attribute__((visibility("default"))) PlugIn* GetPlugIn() { return uitest::UiTestGetPlugIn(); }
