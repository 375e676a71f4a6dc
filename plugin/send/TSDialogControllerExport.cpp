// The send dialog controller's PDF export and its linking of the sent document to the
// project (TSDialogController.h).
#include <memory>

#include "CmdUtils.h"
#include "FileUtils.h"
#include "IActiveContext.h"
#include "ICommand.h"
#include "IDocFileUtils.h"
#include "IDocument.h"
#include "IOutputPages.h"
#include "IControlView.h"
#include "IPDFExportPrefs.h"
#include "IPanelControlData.h"
#include "ITextControlData.h"
#include "StatusCodeInfo.h"
#include "IPDFExptStyleListMgr.h"
#include "IPageList.h"
#include "ISession.h"
#include "ISpreadList.h"
#include "ISysFileData.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSPrefsData.h"
#include "IUIFlagData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "PDFExportCmd.h"
#include "RangeProgressBar.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSDialogController.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"
#include "TSSendDialogIDs.h"
#include "UtilsBoss.h"

namespace {

// The preset keeps the bar only for the one export: it must not outlive the bar.
struct ProgressBarLoan {
    IPDFExportPrefs* prefs;
    ~ProgressBarLoan() { prefs->SetProgressBar(nullptr); }
};

}  // namespace

bool16 TSDialogController::ExportAsPDF(const PMString& presetName, PMString filePath) {
    IActiveContext* context = gSession ? gSession->GetActiveContext() : nullptr;
    IDocument* document = context ? context->GetContextDocument() : nullptr;
    if (!document) return kFalse;
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    InterfacePtr<IPDFExptStyleListMgr> presets(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    if (!presets) return kFalse;

    int32 index = presets->GetStyleIndexByName(presetName);
    if (index == -1) index = presets->GetStyleIndexByName(PMString("[High Quality Print]", PMString::kNoTranslate));
    const UIDRef presetRef = presets->GetNthStyleRef(index);
    if (!presetRef.GetDataBase()) return kFalse;
    InterfacePtr<IPDFExportPrefs> presetPrefs(presetRef, IID_OF<IPDFExportPrefs>());
    if (!presetPrefs) return kFalse;
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    if (!command) return kFalse;

    RangeProgressBar progress(PMString("0x61000kTSGeneratingPDFKey"), 0, 100, kTrue);
    progress.SetPosition(0);
    presetPrefs->SetProgressBar(&progress);
    const ProgressBarLoan loan{presetPrefs.get()};

    InterfacePtr<IPDFExportPrefs> commandPrefs(command.get(), IID_OF<IPDFExportPrefs>());
    InterfacePtr<ISysFileData> outputFile(command.get(), IID_OF<ISysFileData>());
    InterfacePtr<IUIFlagData> uiFlags(command.get(), IID_OF<IUIFlagData>());
    if (!commandPrefs || !outputFile || !uiFlags) return kFalse;
    commandPrefs->CopyPrefs(presetPrefs.get());
    IDFile file;
    FileUtils::PMStringToSysFile(filePath, file);
    outputFile->Set(file);
    uiFlags->Set(IUIFlagData::kShowNoUI);

    IDataBase* db = GetDataBase(document);
    InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
    if (!db || !pageList) return kFalse;
    UIDList items(db);
    if (GetSelectedClusterWidget(kTSPagesClusterWidgetID) == kTSPageRangeRadioWidgetID) {
        if (pageList->ParsePageRange(GetTextControlData(kTSPageRangeEditBoxWidgetID), &items, 0) != 0) return kFalse;
    } else if (commandPrefs->GetExportReaderSpreads() == 1) {
        InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
        if (!spreads) return kFalse;
        for (int32 i = 0; i < spreads->GetSpreadCount(); ++i) items.Append(spreads->GetNthSpreadUID(i));
    } else {
        for (int32 i = 0; i < pageList->GetPageCount(); ++i) items.Append(pageList->GetNthPageUID(i));
    }

    InterfacePtr<IOutputPages> outputPages(command.get(), IID_OF<IOutputPages>());
    if (!outputPages) return kFalse;
    outputPages->Clear();
    outputPages->SetDataBase(db);
    outputPages->SetIsBook(kFalse);
    for (int32 i = 0; i < items.Length(); ++i) outputPages->AppendOutputPageUIDRef(items.GetRef(i));

    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    const UIDRef documentRef = GetUIDRef(document);
    const int32 start = mapper->Time();
    if (CmdUtils::ProcessCommand(command.get()) != 0) {
        ErrorUtils::PMSetGlobalErrorCode(0, nullptr, nullptr, nullptr);
        return kFalse;
    }
    const int32 duration = TSElapsedSeconds(start, mapper->Time());
    mapper->ModifyPdfGenerationTime(documentRef, duration);

    PMString line("<pdf_generation_at duration=\"", PMString::kNoTranslate);
    mapper->TimeConversion(duration, line);
    line.Append("\" preset=\"");
    line.Append(presetName);
    line.Append("\">");
    mapper->DateConversion(line);
    line.Append(" ");
    mapper->TimeConversion(mapper->TimeOfDay(start), line);
    line.Append("</pdf_generation_at>");
    line.SetTranslatable(kFalse);
    mapper->UpdateMonitorLog(documentRef, line);
    return kTrue;
}

void TSDialogController::UpdateDocumentData(IDocument* doc) {
    IDataBase* db = doc ? GetDataBase(doc) : nullptr;
    if (!db) return;
    const bool16 wasModified = db->IsModified();
    const bool16 wasSaved = doc->IsSaved();

    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), IID_OF<ITSPrefsData>());
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSDocDataCmdBoss));
    InterfacePtr<ITSDocData> data(command.get(), IID_OF<ITSDocData>());
    IControlView* statusDropDown = panel ? panel->FindWidget(kTSStatusDropDownWidgetID, 9999) : nullptr;
    InterfacePtr<ITextControlData> statusText(statusDropDown, IID_OF<ITextControlData>());
    if (!prefs || !data || !statusText) return;
    const PMString status = statusText->GetString();

    TSPanelNodeData node;
    if (!TSPanelUtils::GetNodeData(node) || !node.IsProject()) return;
    for (int32 i = 0; i < node.StatusCount(); ++i) {
        const StatusCodeInfo& code = node.GetNthStatus(i);
        if (code.name.IsEmpty()) continue;
        if (code.name.IsEqual(status, kFalse, kFalse)) {
            data->SetStatusID(code.id);
            break;
        }
    }
    data->SetProjectXMLID(node.GetProjectXMLID());
    command->SetItemList(UIDList(GetUIDRef(doc)));
    CmdUtils::ProcessCommand(command.get());

    if (!wasSaved) return;
    if (db->IsModified() != wasModified) {
        InterfacePtr<IDocFileUtils> fileUtils(UtilsBoss::QueryUtils<IDocFileUtils>());
        if (fileUtils) fileUtils->Save(GetUIDRef(doc), IDocFileUtils::kSuppressUI);
    }

    IDFile file;
    if (!db->GetSysFile(file)) return;
    ITSDocPathPrjIdData::DataConatiner record;
    FileUtils::IDFileToPMString(file, record.docPath);
    record.prjID = node.GetProjectXMLID();

    InterfacePtr<ICommand> pathCommand(CmdUtils::CreateCommand(kTSDocPathPrjIdDataCmdBoss));
    InterfacePtr<ITSDocPathPrjIdData> pathData(pathCommand.get(), IID_OF<ITSDocPathPrjIdData>());
    InterfacePtr<ITSDocPathPrjIdData> store(workspace.get(), IID_OF<ITSDocPathPrjIdData>());
    if (!pathData || !store) return;
    pathData->SetDocPathPrjIDContainer(store->GetDocPathPrjIDContainer());
    pathData->SetDocPathPrjIdData(record);
    CmdUtils::ProcessCommand(pathCommand.get());
}
