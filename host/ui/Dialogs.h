// Dialogs: the dialog manager (IDialogMgr 0x11c, on the application boss), each dialog's
// window (a kDialogWindowBoss answering IDialog and IWindow, whose one child is the dialog's
// top panel, built from the plug-in's "dialog" view), and the OK/Cancel protocol.
//
// Open: the dialog joins the open dialogs (the last opened is the front one; a modal one
// holds a ModalScope, so idle tasks wait), the controller (0x62a on the top panel) gets
// SetOwner and InitializeDialog(active context), then every observer in the dialog gets
// AutoAttach (AutoAttachTree). Nothing blocks: the dialog stays up until the console, a test
// or the plug-in closes it.
// OK: ValidateDialog; a result other than 0 keeps the dialog open (the transcript says which
// widget failed); else ApplyDialog(OK) and the dialog closes. Cancel: UserCancelled, close.
// Close: DialogClosing, AutoDetachTree, leave the open dialogs. Presses of OK and Cancel
// reach this through the dialog's CDialogObserver; a dialog without one (no observer
// attached to the button) is answered by PressDialogButton directly.
// The manager owns every dialog it made: one reference each, dropped some time after the
// dialog closed (never while a call into it may still be running), and all of them when the
// application goes away. The framework holds a reference to a dialog while it calls into
// it, so an Apply that closes documents or the dialog itself leaves nothing dangling.
// User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IDialog.h"
#include "IDialogMgr.h"
#include "IWindow.h"
#include "Modal.h"

namespace tshost {

class DialogWindow : public CPMUnknown<IDialog> {
public:
    explicit DialogWindow(IPMUnknown* boss) : CPMUnknown<IDialog>(boss) {}
    ~DialogWindow() override;

    void Open(int32 flags = 0) override;
    void Close(bool16 cancelled = kTrue) override;
    bool16 IsOpen() const override { return fOpen ? kTrue : kFalse; }
    IControlView* GetDialogPanel() const override;

    void SetModal(bool modal) { fModal = modal; }
    bool IsModal() const { return fModal; }
    // OK pressed: validate, apply, close. False when validation kept the dialog open.
    virtual bool AcceptOK();
    // The title as shown.
    std::string ShownTitle() const;

protected:
    // The pages whose controllers and observers take part (a plain dialog: its top panel).
    virtual std::vector<IPMUnknown*> ActivePages() const;
    virtual void Opened() {}

private:
    bool fOpen = false;
    bool fModal = true;
    std::unique_ptr<ModalScope> fModalScope;
};

class WindowImpl final : public CPMUnknown<IWindow> {
public:
    explicit WindowImpl(IPMUnknown* boss) : CPMUnknown<IWindow>(boss) {}
    void SetTitle(const PMString& title) override { fTitle = title; }
    PMString GetTitle() const override { return fTitle; }

private:
    PMString fTitle;
};

class DialogMgr final : public CPMUnknown<IDialogMgr> {
public:
    explicit DialogMgr(IPMUnknown* boss) : CPMUnknown<IDialogMgr>(boss) {}
    ~DialogMgr() override;

    // The current host's manager; null without a host.
    static DialogMgr* Current();

    IDialog* CreateNewDialog(const RsrcSpec& spec, int32 modality, bool16 hostOwned, bool16 centered) override;
    // Takes a dialog window boss the host made itself (the Preferences dialog); not counted.
    IDialog* Adopt(IPMUnknown* window);

    // The open dialogs, front last; not counted.
    std::vector<IDialog*> OpenDialogs() const { return fOpen; }
    IDialog* FrontDialog() const { return fOpen.empty() ? nullptr : fOpen.back(); }
    // Drops the manager's references to closed dialogs.
    void Reap();

    // Called by DialogWindow.
    void Opened(IDialog* dialog) { fOpen.push_back(dialog); }
    void Closed(IDialog* dialog);

private:
    std::vector<IPMUnknown*> fDialogs;  // one reference each
    std::vector<IDialog*> fOpen;
};

// A dialog window made from a "dialog" view, not yet open: counted boss, or null with `error`.
IPMUnknown* MakeDialogWindow(PluginID plugin, RsrcID view, std::string& error);

// Called by CDialogObserver with any interface of the dialog's top panel.
void DialogOKPressed(IPMUnknown* topPanel);
void DialogCancelPressed(IPMUnknown* topPanel);
// Clicks the dialog's button (any widget ID, OK and Cancel included) as a user does. False
// with `error` when the dialog has no such widget or it is disabled or hidden.
bool PressDialogButton(IDialog* dialog, WidgetID button, std::string& error);

}  // namespace tshost
