#include "CPMUnknown.h"
#include "CmdUtils.h"
#include "FileUtils.h"
#include "IActionComponent.h"
#include "IActionManager.h"
#include "IApplication.h"
#include "ICommand.h"
#include "IDFile.h"
#include "IDynamicMenu.h"
#include "IMenuManager.h"
#include "ISession.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSDynActionIDsData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "K2Vector.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"

// The menu of the documents sent to the project selected in the panel: one item per recorded
// document that still exists, labelled with its file name. The workspace's dynamic-action
// store is the record of which items are in the menu, so each rebuild removes exactly those
// and replaces the store with the new ones; choosing an item reaches the action component
// on the same boss.
class TSDocPathsDynamicMenu : public CPMUnknown<IDynamicMenu> {
public:
    explicit TSDocPathsDynamicMenu(IPMUnknown* boss) : CPMUnknown<IDynamicMenu>(boss) {}

    void RebuildMenu(ActionID, IPMUnknown*) override {
        InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
        InterfacePtr<IActionManager> actions(application.get(), IID_OF<IActionManager>());
        InterfacePtr<IMenuManager> menus(actions ? actions->QueryMenuManager() : nullptr);
        InterfacePtr<IActionComponent> component(this, IID_OF<IActionComponent>());
        if (!actions || !menus || !component) return;
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<ITSDynActionIDsData> current(workspace.get(), kTSDynActionIDsDataInterfaceID);
        if (!current) return;

        const PMString itemPath("0x61000kTSDynMnuTargetMenuPath");
        const PMString separatorPath("0x61000kTSDynMnuTargetMenuPath:-");
        const int32 shown = current->Length();
        for (int32 i = 0; i < shown; ++i) {
            ActionID id = current->GetActionID(i);
            if (id == kInvalidActionID) continue;
            menus->RemoveMenuItem(itemPath, id);
            actions->RemoveAction(id, kFalse, kInvalidClass);
        }
        if (shown > 0) menus->RemoveMenuItem(separatorPath, kTSDynMenuSeparatorActionID);

        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSDynActionIDsDataCmdBoss));
        InterfacePtr<ITSDynActionIDsData> next(command.get(), kTSDynActionIDsDataInterfaceID);
        if (!next) return;
        next->Clear();

        K2Vector<PMString> documents;
        GetDocumentList(documents);
        if (!documents.empty()) {
            menus->AddMenuItem(kTSDynMenuSeparatorActionID, separatorPath, 10.0, 0, 0);
            for (std::size_t i = 0; i < documents.size(); ++i) {
                const PMString& path = documents[i];
                PMString label;
                IDFile file;
                FileUtils::PMStringToIDFile(path, file);
                FileUtils::GetFileName(file, label);
                label.SetTranslatable(kFalse);
                ActionID id(kTSFirstDocumentActionID.Get() + static_cast<uint32>(i));
                actions->AddAction(component.get(), id, label, PMString("DUVAR Other"), 0, 1, kInvalidInterfaceID, 0);
                menus->AddMenuItem(id, itemPath, 11.0 + static_cast<PMReal>(i), 0, 0);
                next->AddEntry(id, path);
            }
        }
        // Also when the list is empty, so the store never names items that are gone.
        CmdUtils::ProcessCommand(command.get());
    }

    // The recorded documents of the selected project that exist now, in recorded order.
    void GetDocumentList(K2Vector<PMString>& documents) {
        documents.clear();
        InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
        InterfacePtr<ITSDocPathPrjIdData> sent(workspace.get(), kTSDocPathPrjIdDataInterfaceID);
        if (!sent) return;
        TSPanelNodeData node;
        if (!TSPanelUtils::GetNodeData(node) || !node.IsProject()) return;
        const int32 project = node.GetProjectXMLID();
        for (const ITSDocPathPrjIdData::DataConatiner& record : sent->GetDocPathPrjIDContainer()) {
            if (record.prjID != project) continue;
            IDFile file;
            FileUtils::PMStringToIDFile(record.docPath, file);
            if (FileUtils::DoesFileExist(file)) documents.push_back(record.docPath);
        }
    }
};

CREATE_PMINTERFACE(TSDocPathsDynamicMenu, kTSDocPathsDynamicMenuImpl);
