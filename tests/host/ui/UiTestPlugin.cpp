#include "UiTestPlugin.h"

#include <cstdio>

#include "AbstractDialogObserver.h"
#include "CDialogController.h"
#include "CDialogObserver.h"
#include "CEventHandler.h"
#include "CPanelCreator.h"
#include "CreateObject.h"
#include "FileUtils.h"
#include "ISelectFolderDialog.h"
#include "SysFileList.h"
#include "IControlView.h"
#include "IEvent.h"
#include "IPanelMgr.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITip.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "MEditBoxEventHandler.h"
#include "PalettePanelView.h"
#include "UtilsBoss.h"
#include "WidgetIDs.h"

namespace uitest {

namespace {

constexpr ImplementationID kControllerImpl{0x7e400};
constexpr ImplementationID kDialogObserverImpl{0x7e401};
constexpr ImplementationID kEditBoxHandlerImpl{0x7e402};
constexpr ImplementationID kPanelObserverImpl{0x7e403};
constexpr ImplementationID kPanelViewImpl{0x7e404};
constexpr ImplementationID kTipImpl{0x7e405};
constexpr ImplementationID kRowHandlerImpl{0x7e406};
constexpr ImplementationID kPrefsCreatorImpl{0x7e407};
constexpr ImplementationID kPrefsControllerImpl{0x7e408};
constexpr ImplementationID kPrefsObserverImpl{0x7e409};

std::string Hex(uint32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

std::string Describe(const ClassID& change, ISubject* subject, const PMIID& protocol) {
    InterfacePtr<IControlView> view(subject, IID_OF<IControlView>());
    return "update " + Hex(change.Get()) + " " + Hex(view ? view->GetWidgetID().Get() : 0) + " on " + Hex(protocol.Get());
}

class Controller : public CDialogController {
public:
    explicit Controller(IPMUnknown* boss) : CDialogController(boss) {}
    void InitializeDialogFields(IActiveContext* context) override {
        CDialogController::InitializeDialogFields(context);
        // Programmatic changes before the observer attaches: none may reach it.
        SetTextControlData(kNameBox, PMString("Flyer", PMString::kNoTranslate));
        SetSelectedClusterWidget(kCluster, kAllRadio);
        Rec().Add("init");
    }
    WidgetID ValidateDialogFields(IActiveContext* context) override {
        Rec().Add("validate");
        return WidgetID(Rec().invalidWidget);
    }
    void ApplyDialogFields(IActiveContext*, const WidgetID& widget) override {
        Rec().Add("apply " + Hex(widget.Get()) + " name=" + GetTextControlData(kNameBox).GetUTF8String() +
                               " radio=" + Hex(GetSelectedClusterWidget(kCluster).Get()) +
                               " preset=" + GetTextControlData(kPresetDropDown).GetUTF8String());
    }
    void ResetDialogFields(IActiveContext*) override { Rec().Add("cancelled"); }
    void ClosingDialog(IActiveContext*) override { Rec().Add("closing"); }
};

class DialogObserver : public CDialogObserver {
public:
    explicit DialogObserver(IPMUnknown* boss) : CDialogObserver(boss) {}
    void AutoAttach() override {
        CDialogObserver::AutoAttach();
        AttachToWidget(kAllRadio, IID_ITRISTATECONTROLDATA);
        AttachToWidget(kRangeRadio, IID_ITRISTATECONTROLDATA);
        AttachToWidget(kRangeBox, IID_ITEXTCONTROLDATA);
        Rec().Add("attach");
    }
    void AutoDetach() override {
        CDialogObserver::AutoDetach();
        DetachFromWidget(kAllRadio, IID_ITRISTATECONTROLDATA);
        DetachFromWidget(kRangeRadio, IID_ITRISTATECONTROLDATA);
        DetachFromWidget(kRangeBox, IID_ITEXTCONTROLDATA);
        Rec().Add("detach");
    }
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void* changedBy) override {
        Rec().Add(Describe(change, subject, protocol));
        CDialogObserver::Update(change, subject, protocol, changedBy);
        InterfacePtr<IControlView> view(subject, IID_OF<IControlView>());
        if (!view || view->GetWidgetID() != kRangeBox) return;
        InterfacePtr<ITextControlData> text(subject, IID_OF<ITextControlData>());
        Rec().Add("range text " + text->GetString().GetUTF8String());
        if (Rec().echoStorm) {
            subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
            return;
        }
        // Nested: selecting the radio broadcasts back into this observer.
        InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>());
        controller->SetSelectedClusterWidget(kCluster, kRangeRadio);
    }
};

class EditBoxHandler : public CEditBoxEventHandler {
public:
    explicit EditBoxHandler(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}
    bool16 KeyCmd(IEvent* e) override {
        fEdited = CEditBoxEventHandler::KeyCmd(e) != kFalse;
        return fEdited ? kTrue : kFalse;
    }
    bool16 KeyUp(IEvent* e) override {
        bool16 result = CEditBoxEventHandler::KeyUp(e);
        if (fEdited) {
            fEdited = false;
            InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
            if (subject) subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
        }
        return result;
    }

private:
    bool fEdited = false;
};

class PanelObserver : public AbstractDialogObserver {
public:
    explicit PanelObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
    void AutoAttach() override {
        AbstractDialogObserver::AutoAttach();
        InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
        InterfacePtr<IControlView> self(panels ? panels->QueryPanelByWidgetID(kPanelWidget) : nullptr);
        Rec().Add(std::string("panel attach, findable=") + (self ? "yes" : "no"));
        AttachToWidget(kPanelButton, IID_ITRISTATECONTROLDATA);
    }
    void AutoDetach() override {
        DetachFromWidget(kPanelButton, IID_ITRISTATECONTROLDATA);
        AbstractDialogObserver::AutoDetach();
        Rec().Add("panel detach");
    }
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) override {
        Rec().Add(Describe(change, subject, protocol));
    }
};

class PanelView : public PalettePanelView {
public:
    explicit PanelView(IPMUnknown* boss) : PalettePanelView(boss) {}
    PMPoint ConstrainDimensions(const PMPoint& desired) const override {
        PMPoint size = desired;
        // Limits just past the bounds, compared exactly, as the product's panel does.
        if (size.X() > 1100.00000001) size.X(1100.0);
        if (size.X() < 399.99999999) size.X(400.0);
        if (size.Y() > 700.00000001) size.Y(700.0);
        if (size.Y() < 379.99999999) size.Y(380.0);
        return size;
    }
    void ReadWrite(IPMStream* stream, ImplementationID implID) { PalettePanelView::ReadWrite(stream, implID); }
};

class Tip : public CPMUnknown<ITip> {
public:
    explicit Tip(IPMUnknown* boss) : CPMUnknown<ITip>(boss) {}
    PMString GetTipText(const PMPoint&, TipWindowPlacementAdvice*) override {
        InterfacePtr<IControlView> view(this, IID_OF<IControlView>());
        return PMString(view && view->GetWidgetID() == kPanelButton ? "Refresh" : "", PMString::kNoTranslate);
    }
};

// Wraps the host's row handler: forwards everything but a right click, which it consumes.
class RowHandler : public CEventHandler {
public:
    explicit RowHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 LButtonDn(IEvent* e) override { return Original()->LButtonDn(e); }
    bool16 RButtonDn(IEvent* e) override {
        Rec().Add("row right click at " + std::to_string(e->GlobalWhere().h) + "," + std::to_string(e->GlobalWhere().v));
        return kTrue;
    }
    void SetView(IControlView* view) override { Original()->SetView(view); }

private:
    InterfacePtr<IEventHandler> Original() { return InterfacePtr<IEventHandler>(this, kOriginalRowHandlerIID); }
};

class PrefsCreator : public CPanelCreator {
public:
    explicit PrefsCreator(IPMUnknown* boss) : CPanelCreator(boss) {}
    RsrcID GetPanelRsrcID() const override { return kPrefsPageView; }
};

class PrefsController : public CDialogController {
public:
    explicit PrefsController(IPMUnknown* boss) : CDialogController(boss) {}
    void InitializeDialogFields(IActiveContext* context) override {
        CDialogController::InitializeDialogFields(context);
        SetTextControlData(kPrefsUser, PMString("ana", PMString::kNoTranslate));
        Rec().Add("prefs init");
    }
    WidgetID ValidateDialogFields(IActiveContext* context) override {
        Rec().Add("prefs validate");
        return WidgetID(Rec().prefsInvalidWidget);
    }
    void ApplyDialogFields(IActiveContext*, const WidgetID&) override {
        Rec().Add("prefs apply user=" + GetTextControlData(kPrefsUser).GetUTF8String());
    }
};

class PrefsObserver : public AbstractDialogObserver {
public:
    explicit PrefsObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
    void AutoAttach() override {
        AttachToWidget(kBrowseButton, IID_IBOOLEANCONTROLDATA);
        Rec().Add("prefs attach");
    }
    void AutoDetach() override {
        DetachFromWidget(kBrowseButton, IID_IBOOLEANCONTROLDATA);
        Rec().Add("prefs detach");
    }
    // Browse asks the folder dialog, accepting exactly one folder.
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) override {
        Rec().Add(Describe(change, subject, protocol));
        InterfacePtr<ISelectFolderDialog> dialog(static_cast<ISelectFolderDialog*>(CreateObject(ClassID(0xE1C), PMIID(0xE1D))));
        if (!dialog) return;
        dialog->SetUp(ISelectFolderDialog::kChooseOneFolder);
        SysFileList files;
        bool16 confirmed = dialog->DoDialog(&files, PMString("Choose a Folder"), nullptr, kFalse, nullptr);
        if (confirmed && files.GetFileCount() == 1) {
            PMString path;
            FileUtils::IDFileToPMString(*files.GetNthFile(0), path);
            SetTextControlData(kPrefsUser, path);
            Rec().Add("browse chose " + path.GetUTF8String());
        } else {
            Rec().Add("browse chose nothing");
        }
    }

private:
    void SetTextControlData(const WidgetID& widget, const PMString& text) {
        InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>());
        if (controller) controller->SetTextControlData(widget, text);
    }
};

CREATE_PMINTERFACE(Controller, kControllerImpl);
CREATE_PMINTERFACE(DialogObserver, kDialogObserverImpl);
CREATE_PMINTERFACE(EditBoxHandler, kEditBoxHandlerImpl);
CREATE_PMINTERFACE(PanelObserver, kPanelObserverImpl);
CREATE_PERSIST_PMINTERFACE(PanelView, kPanelViewImpl);
CREATE_PMINTERFACE(Tip, kTipImpl);
CREATE_PMINTERFACE(RowHandler, kRowHandlerImpl);
CREATE_PMINTERFACE(PrefsCreator, kPrefsCreatorImpl);
CREATE_PMINTERFACE(PrefsController, kPrefsControllerImpl);
CREATE_PMINTERFACE(PrefsObserver, kPrefsObserverImpl);

PlugIn gPlugIn(kUiTestPluginID);

}  // namespace

std::string Recorder::Take() {
    std::string joined;
    for (const std::string& e : events) joined += (joined.empty() ? "" : "; ") + e;
    events.clear();
    return joined;
}

Recorder& Rec() {
    static Recorder recorder;
    return recorder;
}

PlugIn* UiTestGetPlugIn() { return &gPlugIn; }

}  // namespace uitest

extern "C" __attribute__((visibility("default"))) PlugIn* GetPlugIn() { return uitest::UiTestGetPlugIn(); }

void uitest::Recorder::Add(std::string event) {
#ifdef UITEST_ECHO
    std::printf("plug-in: %s\n", event.c_str());
    std::fflush(stdout);
#endif
    events.push_back(std::move(event));
}
