#include "Dialogs.h"

#include <algorithm>
#include <cstdio>

#include "Boss.h"
#include "BossClasses.h"
#include "Events.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IDialogController.h"
#include "IPanelControlData.h"
#include "ISubject.h"
#include "IWidgetParent.h"
#include "InterfacePtr.h"
#include "Transcript.h"
#include "UiIDs.h"
#include "WidgetIDs.h"
#include "Widgets.h"
#include "HexText.h"

namespace tshost {

namespace {

IActiveContext* Context() { return Host::Current() ? Host::Current()->ActiveContext() : nullptr; }

// The dialog window above a widget of the dialog, counted; null when there is none.
InterfacePtr<IDialog> DialogAbove(IPMUnknown* widget) {
    InterfacePtr<IWidgetParent> link(widget, IID_OF<IWidgetParent>());
    return InterfacePtr<IDialog>(link ? static_cast<IDialog*>(link->QueryParentFor(IID_OF<IDialog>())) : nullptr);
}

HostModule gModule("ui dialogs", 21, [] {
    RegisterHostImplementation(HostImplementation<DialogWindow>(kDialogImpl));
    RegisterHostImplementation(HostImplementation<WindowImpl>(kWindowImpl));
    RegisterHostImplementation(HostImplementation<DialogMgr>(kDialogMgrImpl));
    DefineHostClass(kDialogWindowBoss, "kDialogWindowBoss", kGroupPanelWidgetBoss,
                    {{IID_OF<IDialog>(), kDialogImpl}, {IID_OF<IWindow>(), kWindowImpl}});
    BossClasses::Get().AddIn(kApplicationBoss, IID_OF<IDialogMgr>(), kDialogMgrImpl);
});

}  // namespace

DialogWindow::~DialogWindow() = default;

IControlView* DialogWindow::GetDialogPanel() const {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    return panel && panel->Length() > 0 ? panel->GetWidget(0) : nullptr;
}

std::vector<IPMUnknown*> DialogWindow::ActivePages() const {
    IControlView* top = GetDialogPanel();
    return top ? std::vector<IPMUnknown*>{top} : std::vector<IPMUnknown*>{};
}

std::string DialogWindow::ShownTitle() const {
    InterfacePtr<IWindow> window(this, IID_OF<IWindow>());
    std::string title = window ? DisplayText(window->GetTitle()) : std::string();
    return title.empty() ? "(untitled)" : title;
}

void DialogWindow::Open(int32) {
    if (fOpen) return;
    InterfacePtr<IPMUnknown> keep(this, IID_OF<IPMUnknown>());
    fOpen = true;
    if (fModal) fModalScope = std::make_unique<ModalScope>();
    if (DialogMgr* mgr = DialogMgr::Current()) mgr->Opened(this);
    Opened();
    Show("[dialog] \"" + ShownTitle() + "\" opened");
    for (IPMUnknown* page : ActivePages()) {
        InterfacePtr<IDialogController> controller(page, IID_OF<IDialogController>());
        if (!controller) continue;
        controller->SetOwner(page);
        controller->InitializeDialog(Context());
    }
    // Set-up first, observers after: the set-up's own changes are no user edits.
    if (fOpen)
        for (IPMUnknown* page : ActivePages()) AutoAttachTree(page);
}

void DialogWindow::Close(bool16 cancelled) {
    if (!fOpen) return;
    InterfacePtr<IPMUnknown> keep(this, IID_OF<IPMUnknown>());
    std::vector<IPMUnknown*> pages = ActivePages();
    for (IPMUnknown* page : pages) {
        InterfacePtr<IDialogController> controller(page, IID_OF<IDialogController>());
        if (!controller) continue;
        if (cancelled) controller->UserCancelled();
        controller->DialogClosing();
    }
    for (IPMUnknown* page : pages) AutoDetachTree(page);
    fOpen = false;
    fModalScope.reset();
    if (DialogMgr* mgr = DialogMgr::Current()) mgr->Closed(this);
    Show("[dialog] \"" + ShownTitle() + "\" closed" + (cancelled ? " (cancelled)" : ""));
}

bool DialogWindow::AcceptOK() {
    if (!fOpen) return false;
    InterfacePtr<IPMUnknown> keep(this, IID_OF<IPMUnknown>());
    std::vector<IPMUnknown*> pages = ActivePages();
    for (IPMUnknown* page : pages) {
        InterfacePtr<IDialogController> controller(page, IID_OF<IDialogController>());
        if (!controller) continue;
        WidgetID bad = controller->ValidateDialog();
        if (bad.Get() != static_cast<uint32>(kNoInvalidWidgets)) {
            Show("[dialog] \"" + ShownTitle() + "\" stays open: widget " + Hex(bad.Get()) + " is not valid");
            return false;
        }
    }
    for (IPMUnknown* page : pages) {
        InterfacePtr<IDialogController> controller(page, IID_OF<IDialogController>());
        if (controller) controller->ApplyDialog(kOKButtonWidgetID);
        // Apply may close the dialog itself.
        if (!fOpen) return true;
    }
    Close(kFalse);
    return true;
}

DialogMgr::~DialogMgr() {
    // The application is going away: no plug-in call may run now, so dialogs still open are
    // dropped without their observers being told.
    fOpen.clear();
    for (IPMUnknown* d : fDialogs) d->Release();
}

DialogMgr* DialogMgr::Current() {
    Host* host = Host::Current();
    IApplication* application = host ? host->Application() : nullptr;
    if (!application) return nullptr;
    InterfacePtr<IDialogMgr> mgr(application, IID_OF<IDialogMgr>());
    return dynamic_cast<DialogMgr*>(mgr.get());  // the application keeps it alive
}

IDialog* DialogMgr::Adopt(IPMUnknown* window) {
    if (!window) return nullptr;
    Reap();
    window->AddRef();
    fDialogs.push_back(window);
    InterfacePtr<IDialog> dialog(window, IID_OF<IDialog>());
    return dialog.get();
}

IDialog* DialogMgr::CreateNewDialog(const RsrcSpec& spec, int32 modality, bool16, bool16) {
    if (spec.GetType() != kViewRsrcType) return nullptr;
    std::string error;
    InterfacePtr<IPMUnknown> window(MakeDialogWindow(spec.GetPluginID(), spec.GetRsrcID(), error));
    if (!window) {
        Diagnose(error);
        return nullptr;
    }
    InterfacePtr<IDialog> dialog(window.get(), IID_OF<IDialog>());
    if (auto* d = dynamic_cast<DialogWindow*>(dialog.get())) d->SetModal(modality != kModeless);
    return Adopt(window.get());
}

void DialogMgr::Closed(IDialog* dialog) { std::erase(fOpen, dialog); }

void DialogMgr::Reap() {
    std::vector<IPMUnknown*> keep;
    for (IPMUnknown* d : fDialogs) {
        InterfacePtr<IDialog> dialog(d, IID_OF<IDialog>());
        // Only the manager's own reference left and closed: nothing can be inside it.
        if (dialog && !dialog->IsOpen() && Boss::From(d) && Boss::From(d)->RefCount() <= 2) {
            dialog.reset();
            d->Release();
        } else {
            keep.push_back(d);
        }
    }
    fDialogs = std::move(keep);
}

IPMUnknown* MakeDialogWindow(PluginID plugin, RsrcID view, std::string& error) {
    const ViewSpec* spec = ViewResources::Get().Find(plugin, view);
    if (!spec || spec->top.kind != "dialog") {
        error = "plug-in " + Hex(plugin.Get()) + " has no dialog view " + std::to_string(view.Get());
        return nullptr;
    }
    InterfacePtr<IPMUnknown> top(BuildView(plugin, view, error));
    if (!top) return nullptr;
    InterfacePtr<IPMUnknown> window(Boss::Create(kDialogWindowBoss));
    InterfacePtr<IPanelControlData> panel(window.get(), IID_OF<IPanelControlData>());
    InterfacePtr<IWindow> title(window.get(), IID_OF<IWindow>());
    InterfacePtr<IControlView> topView(top.get(), IID_OF<IControlView>());
    if (!panel || !title || !topView) {
        error = "the host's dialog window cannot be made";
        return nullptr;
    }
    panel->AddWidget(topView.get());
    title->SetTitle(spec->top.label);
    if (IControlView* frame = ViewOf(window.get())) frame->SetFrame(topView->GetFrame(), kFalse);
    return window.forget();
}

void DialogOKPressed(IPMUnknown* topPanel) {
    InterfacePtr<IDialog> dialog = DialogAbove(topPanel);
    if (auto* d = dynamic_cast<DialogWindow*>(dialog.get())) d->AcceptOK();
}

void DialogCancelPressed(IPMUnknown* topPanel) {
    InterfacePtr<IDialog> dialog = DialogAbove(topPanel);
    if (dialog) dialog->Close(kTrue);
}

bool PressDialogButton(IDialog* dialog, WidgetID button, std::string& error) {
    if (!dialog || !dialog->IsOpen()) {
        error = "no dialog is open";
        return false;
    }
    InterfacePtr<IPMUnknown> keep(dialog, IID_OF<IPMUnknown>());
    IControlView* view = FindWidgetFrom(dialog, button);
    if (!view) {
        error = "the dialog has no widget " + Hex(button.Get());
        return false;
    }
    if (!view->IsEnabled() || !view->IsVisible(kTrue)) {
        error = "widget " + Hex(button.Get()) + " is " + (view->IsEnabled() ? "hidden" : "disabled");
        return false;
    }
    InterfacePtr<ISubject> subject(view, IID_OF<ISubject>());
    bool observed = subject && subject->CountObservers(IID_ITRISTATECONTROLDATA) > 0;
    Click(view);
    // A dialog nobody observes still answers its own OK and Cancel.
    if (!observed && dialog->IsOpen()) {
        if (button == kOKButtonWidgetID) {
            if (auto* d = dynamic_cast<DialogWindow*>(dialog)) d->AcceptOK();
        } else if (button == kCancelButtonWidgetID) {
            dialog->Close(kTrue);
        }
    }
    return true;
}

}  // namespace tshost
