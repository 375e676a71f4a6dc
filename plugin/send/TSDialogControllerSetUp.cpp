// The send dialog controller's set-up when the dialog opens, and the first expansion of the
// file-name template (TSDialogController.h).
#include "CAlert.h"
#include "IActiveContext.h"
#include "IControlView.h"
#include "IDocument.h"
#include "IDropDownListController.h"
#include "IPDFExptStyleListMgr.h"
#include "IPanelControlData.h"
#include "ISession.h"
#include "IStringListControlData.h"
#include "ITSPrefsData.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWidgetParent.h"
#include "IWindow.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "TSDialogController.h"
#include "TSFileNameTemplate.h"
#include "TSPanelDataModel.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"
#include "TSSendDialogIDs.h"
#include "TSUploadGlobals.h"
#include "TSXmlDataHandling.h"
#include "WidgetIDs.h"

namespace {

// Lists the names that are not empty, as they are, and selects the last one equal to
// `preferred` ignoring case, else the first.
void FillDropDown(IStringListControlData* list, IDropDownListController* selection, const K2Vector<PMString>& names,
                  const PMString& preferred) {
    list->Clear(kTrue, kTrue);
    int32 chosen = 0;
    int32 entries = 0;
    for (PMString name : names) {
        if (name.IsEmpty()) continue;
        name.SetTranslatable(kFalse);
        list->AddString(name, IStringListControlData::kEnd, kTrue, kTrue);
        if (name.IsEqual(preferred, kFalse)) chosen = entries;
        ++entries;
    }
    selection->Select(chosen, kTrue, kTrue);
}

constexpr const char* kSendToTessaron = "Tessaron";
constexpr const char* kSendToFolder = "Folder";
constexpr const char* kSendToIDServer = "InDesign Server";

IControlView* Find(IPanelControlData* panel, WidgetID id) { return panel ? panel->FindWidget(id, 9999) : nullptr; }

void ShowWidget(IControlView* view, bool show) {
    if (show)
        view->Show(kTrue);
    else
        view->Hide();
}

void SetVerticalEdges(IControlView* view, PMReal top, PMReal bottom) {
    if (!view) return;
    PMRect frame = view->GetFrame();
    frame.Top(top);
    frame.Bottom(bottom);
    view->SetFrame(frame, kTrue);
}

IDocument* FrontDocument() {
    IActiveContext* context = gSession ? gSession->GetActiveContext() : nullptr;
    return context ? context->GetContextDocument() : nullptr;
}

InterfacePtr<ITSPrefsData> QueryPrefs() {
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    return InterfacePtr<ITSPrefsData>(workspace.get(), IID_OF<ITSPrefsData>());
}

}  // namespace

void TSDialogController::InitializeDialogFields(IActiveContext* context) {
    CDialogController::InitializeDialogFields(context);
    g_FileNameDefination.Clear();

    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* presetRow = Find(panel.get(), kTSPresetGroupWidgetID);
    IControlView* statusLabel = Find(panel.get(), kTSStatusLabelWidgetID);
    IControlView* statusDropDown = Find(panel.get(), kTSStatusDropDownWidgetID);
    IControlView* fileNameRow = Find(panel.get(), kTSFileNameGroupWidgetID);
    if (!presetRow || !statusLabel || !statusDropDown || !fileNameRow) return;
    InterfacePtr<ITSPrefsData> prefs = QueryPrefs();
    if (!prefs) return;
    const PMString sendTo = prefs->GetSendToOption();
    SetDialogTitle(sendTo);

    if (sendTo.IsEqual(PMString(kSendToTessaron), kTrue)) {
        ShowWidget(presetRow, true);
        ShowWidget(statusLabel, true);
        ShowWidget(statusDropDown, true);
        ShowWidget(fileNameRow, false);
        InitializePreset();
        InitializeStatus();
    } else if (sendTo.IsEqual(PMString(kSendToFolder), kTrue)) {
        ShowWidget(presetRow, true);
        ShowWidget(statusLabel, false);
        ShowWidget(statusDropDown, false);
        ShowWidget(fileNameRow, true);
        InitializePreset();
        InitializeFilename();
    } else if (sendTo.IsEqual(PMString(kSendToIDServer), kTrue)) {
        ShowWidget(presetRow, false);
        ShowWidget(statusLabel, false);
        ShowWidget(statusDropDown, false);
        ShowWidget(fileNameRow, true);
        InitializeFilename();
    }
    InitializePages();
    ResizeDialog(sendTo);

    // A running upload still reads the request.
    if (!g_sendToAllowed.load(std::memory_order_acquire)) return;
    g_Name.Clear();
    g_Password.Clear();
    g_ProjectID.Clear();
    g_StatusID.Clear();
    g_PageNumber.Clear();
}

void TSDialogController::InitializePreset() {
    InterfacePtr<ITSPrefsData> prefs = QueryPrefs();
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<IPDFExptStyleListMgr> presets(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* dropDown = Find(panel.get(), kTSPresetDropDownWidgetID);
    InterfacePtr<IStringListControlData> list(dropDown, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> selection(dropDown, IID_OF<IDropDownListController>());
    if (!prefs || !presets || !list || !selection) return;

    K2Vector<PMString> names;
    for (int32 i = 0; i < presets->GetNumStyles(); ++i) names.push_back(presets->GetNthStyleName(i));
    FillDropDown(list.get(), selection.get(), names, prefs->GetPresetName());
}

void TSDialogController::InitializeStatus() {
    InterfacePtr<ITSPrefsData> prefs = QueryPrefs();
    if (!prefs) return;
    TSPanelNodeData node;
    if (!TSPanelUtils::GetNodeData(node) || !node.IsProject()) return;
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* dropDown = Find(panel.get(), kTSStatusDropDownWidgetID);
    InterfacePtr<IStringListControlData> list(dropDown, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> selection(dropDown, IID_OF<IDropDownListController>());
    if (!list || !selection) return;

    K2Vector<PMString> names;
    for (int32 i = 0; i < node.StatusCount(); ++i) names.push_back(node.GetNthStatus(i).name);
    FillDropDown(list.get(), selection.get(), names, prefs->GetStatusName());
}

void TSDialogController::InitializePages() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<ITriStateControlData> allPages(Find(panel.get(), kTSAllPagesRadioWidgetID), IID_OF<ITriStateControlData>());
    if (!allPages) return;
    allPages->Select(kTrue, kTrue);
    InterfacePtr<ITextControlData> rangeBox(Find(panel.get(), kTSPageRangeEditBoxWidgetID), IID_OF<ITextControlData>());
    if (!rangeBox) return;
    PMString range;
    if (!TSFileNameTemplate::AllPagesRangeText(FrontDocument(), range)) return;
    rangeBox->SetString(range, kTrue, kTrue, kTrue);
}

void TSDialogController::ResizeDialog(const PMString& sendToOption) {
    InterfacePtr<IControlView> dialog(this, IID_OF<IControlView>());
    if (!dialog) return;
    const bool server = sendToOption.IsEqual(PMString(kSendToTessaron), kTrue);
    PMReal height;
    if (server)
        height = 280;
    else if (sendToOption.IsEqual(PMString(kSendToFolder), kTrue))
        height = 320;
    else if (sendToOption.IsEqual(PMString(kSendToIDServer), kTrue))
        height = 210;
    else
        return;

    PMRect frame = dialog->GetFrame();
    frame.Bottom(height);
    dialog->SetFrame(frame, kTrue);
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    SetVerticalEdges(Find(panel.get(), kOKButtonWidgetID), height - 40, height - 20);
    SetVerticalEdges(Find(panel.get(), kCancelButtonWidgetID), height - 40, height - 20);
    SetVerticalEdges(Find(panel.get(), kTSFileNameGroupWidgetID), height - 80, height - 60);
    if (server)
        SetVerticalEdges(Find(panel.get(), kTSPagesGroupWidgetID), height - 150, height - 60);
    else
        SetVerticalEdges(Find(panel.get(), kTSPagesGroupWidgetID), height - 190, height - 100);
}

void TSDialogController::SetDialogTitle(const PMString& sendTo) {
    InterfacePtr<IWidgetParent> parent(this, IID_OF<IWidgetParent>());
    InterfacePtr<IWindow> window(parent ? static_cast<IWindow*>(parent->QueryParentFor(IID_OF<IWindow>())) : nullptr);
    if (!window) return;
    PMString title("0x61000kTSDialogTitleKey");
    title.Translate();
    title.Append(kSendToTessaron);
    if (!sendTo.IsEqual(PMString(kSendToTessaron), kTrue)) {
        TSPanelNodeData node;
        if (TSPanelUtils::GetNodeData(node) && node.IsProject()) {
            title.Append(" \"");
            title.Append(node.GetNodeName());
            title.Append("\"");
        }
    }
    title.SetTranslatable(kFalse);
    window->SetTitle(title);
}

void TSDialogController::InitializeFilename() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* fileNameBox = Find(panel.get(), kTSFileNameEditBoxWidgetID);
    IControlView* userInputBox = Find(panel.get(), kTSUserInputEditBoxWidgetID);
    if (!fileNameBox || !userInputBox) return;
    userInputBox->Hide();
    InterfacePtr<ITextControlData> userInput(userInputBox, IID_OF<ITextControlData>());
    if (!userInput) return;
    userInput->SetString(PMString(), kTrue, kTrue, kTrue);
    InterfacePtr<ITextControlData> fileName(fileNameBox, IID_OF<ITextControlData>());
    if (!fileName) return;

    const PMString folder = TSPanelUtils::GetTessaronFolderPath();
    if (!folder.IsEmpty()) {
        PMString projectsFile(folder);
        projectsFile.Append("/projects.xml");
        // The tree's reader holds the list already unless it changed since.
        if (domparseFile.IsParseOf(projectsFile.GrabCString())) {
            domparseFile.GetFileNameDefination(g_FileNameDefination);
        } else {
            TSXmlDataHandling reader;
            reader.InitializeDOMnode(projectsFile.GrabCString());
            if (!reader.ParseFailed()) reader.GetFileNameDefination(g_FileNameDefination);
        }
    }
    if (g_FileNameDefination.IsEmpty()) g_FileNameDefination = PMString(TSFileNameTemplate::kDefaultTemplate, PMString::kNoTranslate);

    TSFileNameTemplate::Values values = TSFileNameTemplate::CurrentValues();
    PMString range;
    if (TSFileNameTemplate::AllPagesRangeText(FrontDocument(), range)) values.pageNumber = range;
    values.userInput = PMString("user_input", PMString::kNoTranslate);
    bool reachedUserInput = false;
    const PMString name = TSFileNameTemplate::Expand(g_FileNameDefination, values, &reachedUserInput);
    if (reachedUserInput) userInputBox->Show(kTrue);
    fileName->SetString(name, kTrue, kTrue, kTrue);
}
