#include "CEventHandler.h"
#include "IActionManager.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IEvent.h"
#include "IMenuManager.h"
#include "ISession.h"
#include "ITSPanelDataModel.h"
#include "ITreeNodeIDData.h"
#include "ITreeViewController.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelNodeID.h"
#include "TSPanelUtils.h"

// A project tree row's event handler: wraps the host's own row handler, which the row's boss
// keeps under kTSTreeNodeOriginalHandlerInterfaceID, and passes it every event except a right
// click on a project. That one selects the project and pops up the menu of the documents
// sent to it. Without the wrapped handler, events fall back to the SDK defaults.
class TSPanelTVNodeEH : public CEventHandler {
public:
    explicit TSPanelTVNodeEH(IPMUnknown* boss) : CEventHandler(boss) {}

    bool16 Activate(IEvent* e) override { return Forward(&IEventHandler::Activate, e); }
    bool16 Deactivate(IEvent* e) override { return Forward(&IEventHandler::Deactivate, e); }
    bool16 Suspend(IEvent* e) override { return Forward(&IEventHandler::Suspend, e); }
    bool16 Resume(IEvent* e) override { return Forward(&IEventHandler::Resume, e); }
    bool16 MouseMove(IEvent* e) override { return Forward(&IEventHandler::MouseMove, e); }
    bool16 MouseDrag(IEvent* e) override { return Forward(&IEventHandler::MouseDrag, e); }
    bool16 LButtonDn(IEvent* e) override { return Forward(&IEventHandler::LButtonDn, e); }
    bool16 MButtonDn(IEvent* e) override { return Forward(&IEventHandler::MButtonDn, e); }
    bool16 LButtonUp(IEvent* e) override { return Forward(&IEventHandler::LButtonUp, e); }
    bool16 RButtonUp(IEvent* e) override { return Forward(&IEventHandler::RButtonUp, e); }
    bool16 MButtonUp(IEvent* e) override { return Forward(&IEventHandler::MButtonUp, e); }
    bool16 ButtonDblClk(IEvent* e) override { return Forward(&IEventHandler::ButtonDblClk, e); }
    bool16 ButtonTrplClk(IEvent* e) override { return Forward(&IEventHandler::ButtonTrplClk, e); }
    bool16 ButtonQuadClk(IEvent* e) override { return Forward(&IEventHandler::ButtonQuadClk, e); }
    bool16 ButtonQuintClk(IEvent* e) override { return Forward(&IEventHandler::ButtonQuintClk, e); }
    bool16 MouseWheel(IEvent* e) override { return Forward(&IEventHandler::MouseWheel, e); }
    bool16 ControlCmd(IEvent* e) override { return Forward(&IEventHandler::ControlCmd, e); }
    bool16 KeyDown(IEvent* e) override { return Forward(&IEventHandler::KeyDown, e); }
    bool16 KeyCmd(IEvent* e) override { return Forward(&IEventHandler::KeyCmd, e); }
    bool16 KeyUp(IEvent* e) override { return Forward(&IEventHandler::KeyUp, e); }
    bool16 Update(IEvent* e) override { return Forward(&IEventHandler::Update, e); }
    bool16 PlatformEvent(IEvent* e) override { return Forward(&IEventHandler::PlatformEvent, e); }
    bool16 CallSysEventHandler(IEvent* e) override { return Forward(&IEventHandler::CallSysEventHandler, e); }

    bool16 GetKeyFocus() override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->GetKeyFocus() : CEventHandler::GetKeyFocus();
    }
    bool16 GiveUpKeyFocus() override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->GiveUpKeyFocus() : CEventHandler::GiveUpKeyFocus();
    }
    bool16 WillingToGiveUpKeyFocus() override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->WillingToGiveUpKeyFocus() : CEventHandler::WillingToGiveUpKeyFocus();
    }
    bool16 SuspendKeyFocus() override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->SuspendKeyFocus() : CEventHandler::SuspendKeyFocus();
    }
    bool16 ResumeKeyFocus() override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->ResumeKeyFocus() : CEventHandler::ResumeKeyFocus();
    }
    bool16 CanHaveKeyFocus() const override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->CanHaveKeyFocus() : CEventHandler::CanHaveKeyFocus();
    }
    bool16 WantsTabKeyFocus() const override {
        InterfacePtr<IEventHandler> original(Original());
        return original ? original->WantsTabKeyFocus() : CEventHandler::WantsTabKeyFocus();
    }

    // The wrapped handler keeps the view: it is the one that works with it.
    void SetView(IControlView* view) override {
        InterfacePtr<IEventHandler> original(Original());
        if (original)
            original->SetView(view);
        else
            CEventHandler::SetView(view);
    }

    bool16 RButtonDn(IEvent* e) override {
        IControlView* treeWidget = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID);
        InterfacePtr<ITreeViewController> selection(treeWidget, IID_OF<ITreeViewController>());
        InterfacePtr<ITSPanelDataModel> model(treeWidget, kTSPanelDataModelInterfaceID);
        InterfacePtr<ITreeNodeIDData> shown(this, IID_OF<ITreeNodeIDData>());
        if (!e || !selection || !model || !shown) return Forward(&IEventHandler::RButtonDn, e);
        NodeID node = shown->Get();
        const TSPanelNodeID* ours = TSPanelNodeID::From(node);
        const TSPanelNodeData* record = ours ? model->GetNode(ours->GetProjectID()) : nullptr;
        if (!record || !record->IsProject()) return Forward(&IEventHandler::RButtonDn, e);

        selection->DeselectAll(kTrue, kTrue);
        SysPoint where = e->GlobalWhere();
        PMString menuPath("0x61000kTSDynMnuTargetMenuPath", PMString::kNoTranslate);
        InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
        InterfacePtr<IActionManager> actions(application.get(), IID_OF<IActionManager>());
        InterfacePtr<IMenuManager> menus(actions ? actions->QueryMenuManager() : nullptr);
        if (!menus) return Forward(&IEventHandler::RButtonDn, e);

        selection->Select(node, kTrue, kTrue);
        menus->HandlePopupMenu(menuPath, where, where, kTrue, this);
        return kTrue;
    }

private:
    IEventHandler* Original() const {
        return static_cast<IEventHandler*>(QueryInterface(kTSTreeNodeOriginalHandlerInterfaceID));
    }

    bool16 Forward(bool16 (IEventHandler::*operation)(IEvent*), IEvent* e) {
        InterfacePtr<IEventHandler> original(Original());
        return original ? ((*original).*operation)(e) : kFalse;
    }
};

CREATE_PMINTERFACE(TSPanelTVNodeEH, kTSPanelTVNodeEHImpl);
