#include "CAlert.h"
#include "CActionComponent.h"
#include "FileUtils.h"
#include "IActionStateList.h"
#include "IActiveContext.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IDialog.h"
#include "IDialogCreator.h"
#include "IDialogMgr.h"
#include "IDocFileUtils.h"
#include "IPanelControlData.h"
#include "IPanelSwitcher.h"
#include "IServiceProvider.h"
#include "IServiceRegistry.h"
#include "ISession.h"
#include "ITSDynActionIDsData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "RsrcSpec.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"
#include "TSPrefsIDs.h"
#include "TSUploadGlobals.h"
#include "UtilsBoss.h"
#include "WidgetIDs.h"

// The plug-in's menu actions: About, Send (the send dialog), Preferences (the host's
// Preferences dialog on the plug-in's page) and the items that open a document sent to the
// selected project. Every action the host asks about is enabled only while a project is
// selected in the projects panel; Send also needs a front document and no running upload.
// Keeps no state. User-interface thread only.
class TSActionComponent : public CActionComponent {
public:
    explicit TSActionComponent(IPMUnknown* boss) : CActionComponent(boss) {}

    void UpdateActionStates(IActiveContext* context, IActionStateList* list, SysPoint point = {},
                            IPMUnknown* widget = nullptr) override;
    void DoAction(IActiveContext* context, ActionID id, SysPoint point = {}, IPMUnknown* widget = nullptr) override;
    using CActionComponent::DoAction;
    using CActionComponent::UpdateActionStates;

    void DoAbout();
    void DoDialog();
    void ShowPrefsDialog();
    void DoHandleDynamicAction(IActiveContext* context, ActionID id);
};

namespace {

// The host's Preferences dialog: its service, the class of its provider, and the service its
// page switcher takes.
constexpr ServiceID kPrefsDialogService{0x698};
constexpr ClassID kPrefsDialogProviderClass{0x63c};
constexpr ServiceID kPrefsPanelService{0x699};

}  // namespace

void TSActionComponent::DoAction(IActiveContext* context, ActionID id, SysPoint, IPMUnknown*) {
    if (id == kTSAboutActionID || id == kTSAboutAlternateActionID)
        DoAbout();
    else if (id == kTSSendActionID)
        DoDialog();
    else if (id == kTSPreferencesActionID)
        ShowPrefsDialog();
    else
        DoHandleDynamicAction(context, id);
}

void TSActionComponent::UpdateActionStates(IActiveContext* context, IActionStateList* list, SysPoint, IPMUnknown*) {
    if (!context || !list) return;
    TSPanelNodeData node;
    const bool project = TSPanelUtils::GetNodeData(node) && node.IsProject();
    for (int32 i = 0; i < list->Length(); ++i) {
        bool enabled = project;
        if (list->GetNthAction(i) == kTSSendActionID)
            enabled = project && context->GetContextDocument() != nullptr &&
                      g_sendToAllowed.load(std::memory_order_acquire);
        list->SetNthActionState(i, enabled ? IActionStateList::kEnabledAction : IActionStateList::kDisabled);
    }
}

void TSActionComponent::DoAbout() {
    CAlert::ModalAlert(PMString("0x61000kTSAboutBoxStringKey"), PMString("OK"), kNullString, kNullString, 1, 1);
}

void TSActionComponent::DoDialog() {
    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    if (!application) return;
    InterfacePtr<IDialogMgr> dialogs(application.get(), IID_OF<IDialogMgr>());
    if (!dialogs) return;
    const RsrcSpec spec(MLocaleSetting::GetLocale(), kTSPluginID, kViewRsrcType, kTSSendDialogRsrcID);
    if (IDialog* dialog = dialogs->CreateNewDialog(spec, IDialogMgr::kModal, kTrue, kTrue)) dialog->Open(0);
}

void TSActionComponent::ShowPrefsDialog() {
    if (!gSession) return;
    InterfacePtr<IServiceRegistry> registry(gSession, IID_OF<IServiceRegistry>());
    if (!registry) return;
    InterfacePtr<IServiceProvider> provider(
        registry->QueryServiceProviderByClassID(kPrefsDialogService, kPrefsDialogProviderClass));
    InterfacePtr<IDialogCreator> creator(provider.get(), IID_OF<IDialogCreator>());
    IDialog* dialog = creator ? creator->CreateDialog() : nullptr;
    if (!dialog) return;
    InterfacePtr<IPanelControlData> panel(dialog, IID_OF<IPanelControlData>());
    IControlView* switcherWidget = panel ? panel->FindWidget(kPrefsPanelSwitcherWidgetID, 9999) : nullptr;
    InterfacePtr<IPanelSwitcher> switcher(switcherWidget, IID_OF<IPanelSwitcher>());
    if (!switcher) return;
    switcher->SetSwitchingIDs(kPrefsPanelService, PMIID(0x608), PMIID(0x607), PMIID(0x623));
    switcher->SwitchToPanel(kTSPrefsPanelWidgetID);
    dialog->Open(0);
}

void TSActionComponent::DoHandleDynamicAction(IActiveContext*, ActionID id) {
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSDynActionIDsData> store(workspace.get(), IID_OF<ITSDynActionIDsData>());
    if (!store) return;
    const PMString path = store->GetDocumentPath(id);
    IDFile file;
    FileUtils::PMStringToIDFile(path, file);
    if (path.IsEmpty() || !FileUtils::DoesFileExist(file)) {
        CAlert::InformationAlert(PMString("Document doesn't exists", PMString::kNoTranslate));
        return;
    }
    InterfacePtr<IDocFileUtils> fileUtils(UtilsBoss::QueryUtils<IDocFileUtils>());
    if (!fileUtils) return;
    UIDRef opened(nullptr, kInvalidUID);
    fileUtils->OpenDoc(opened, file, IDocFileUtils::kOpenOriginal, IDocFileUtils::kSuppressUI, kFalse, kTrue, 0);
}

CREATE_PMINTERFACE(TSActionComponent, kTSActionComponentImpl);
