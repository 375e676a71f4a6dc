#include "TSDialogController.h"

#include <exempi/xmp.h>
#include <stdlib.h>

#include <string>

#include "CAlert.h"
#include "FileUtils.h"
#include "IActiveContext.h"
#include "IControlView.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocument.h"
#include "IDocumentUtils.h"
#include "IPageList.h"
#include "IPanelControlData.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "ITextControlData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "K2Vector.h"
#include "StatusCodeInfo.h"
#include "TSActiveMapper.h"
#include "TSConnection.h"
#include "TSFileNameTemplate.h"
#include "TSID.h"
#include "TSIdleTask.h"
#include "TSPanelNodeData.h"
#include "TSPendingSend.h"
#include "TSPanelUtils.h"
#include "TSSendDialogIDs.h"
#include "TSUploadGlobals.h"
#include "TSXmlDataHandling.h"
#include "UtilsBoss.h"

namespace {

constexpr const char* kSendToTessaron = "Tessaron";
constexpr const char* kSendToFolder = "Folder";
constexpr const char* kSendToIDServer = "InDesign Server";

// Room for a host path made from a POSIX path of the longest kind this controller writes.
constexpr std::size_t kHostPathSize = 1024;

void Warn(const char* key) { CAlert::WarningAlert(PMString(key)); }

// The send line of the tracking log, stamped with the moment the send began.
PMString SendLine(TSActiveMapper& mapper, const PMString& method, int32 start) {
    PMString line("<send_to_tessaron_at method=\"", PMString::kNoTranslate);
    line.Append(method);
    line.Append("\">");
    mapper.DateConversion(line);
    line.Append(" ");
    mapper.TimeConversion(mapper.TimeOfDay(start), line);
    line.Append("</send_to_tessaron_at>");
    line.SetTranslatable(kFalse);
    return line;
}

bool16 FileExists(const PMString& path) {
    IDFile file;
    FileUtils::PMStringToSysFile(path, file);
    return FileUtils::DoesFileExist(file);
}

// A folder preference may end in the path separator; joining it with another would then
// name the folder's parent.
PMString JoinHostPath(PMString folder, const PMString& name) {
    while (folder.ByteLength() > 0 && folder.GetUTF8String().back() == ':') folder.Truncate(folder.ByteLength() - 1);
    folder.Append(":");
    folder.Append(name);
    folder.SetTranslatable(kFalse);
    return folder;
}

}  // namespace

TSDialogController::TSDialogController(IPMUnknown* boss) : CDialogController(boss) {
    // Counted by the library; the host's metadata uses it too, so nothing terminates it here.
    xmp_init();
}

WidgetID TSDialogController::ValidateDialogFields(IActiveContext* context) {
    return CDialogController::ValidateDialogFields(context);
}

PMString TSDialogController::MakeTempPdfPath(const PMString& baseName) {
    char folder[] = "/tmp/tessaron-send-XXXXXX";
    if (!::mkdtemp(folder)) return PMString();
    PMString name(baseName);
    // A "/" would lead out of the private folder.
    name.RemoveAll('/');
    name.RemoveAll('\0');
    const std::size_t room = kTempPdfPathMax - (sizeof folder - 1) - std::string_view("/.pdf").size();
    if (static_cast<std::size_t>(name.ByteLength()) > room) name.Truncate(static_cast<int32>(room));
    PMString path(folder, PMString::kNoTranslate);
    path.Append("/");
    path.Append(name);
    path.Append(".pdf");
    // Removed by TSRemoveUploadFile, or by the host should a signal end it first.
    FileUtils::MarkTemporary(folder);
    FileUtils::MarkTemporary(path.GetUTF8String());
    return path;
}

void TSDialogController::ApplyDialogFields(IActiveContext* context, const WidgetID&) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), IID_OF<ITSPrefsData>());
    IDocument* document = context ? context->GetContextDocument() : nullptr;
    if (!panel || !prefs || !document) return;
    const UIDRef documentRef = GetUIDRef(document);

    PMString documentName;
    document->GetName(documentName);
    const PMString baseName = TSFileNameTemplate::DocumentBaseName(documentName);

    IControlView* fileNameBox = panel->FindWidget(kTSFileNameEditBoxWidgetID, 9999);
    InterfacePtr<ITextControlData> fileNameText(fileNameBox, IID_OF<ITextControlData>());
    if (!fileNameText) return;

    const PMString sendTo = prefs->GetSendToOption();
    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    const int32 start = mapper->Time();
    PMString method;

    if (sendTo.IsEqual(PMString(kSendToTessaron), kTrue)) {
        const PMString userName = prefs->GetUserName();
        if (userName.IsEmpty()) {
            Warn("0x61000kTSServerDetailsError");
            return;
        }
        // The request globals belong to a running upload until it ends.
        if (!g_sendToAllowed.load(std::memory_order_acquire)) {
            CAlert::InformationAlert(PMString("0x61000kTSPDFUploadError"));
            return;
        }
        const PMString serverURL = prefs->GetTessaronInfo();
        if (serverURL.IsEmpty() || !TSCopyUploadText(g_UrlInfo, serverURL.GetUTF8String())) {
            Warn("0x61000kTSServerDetailsError");
            return;
        }
        if (!SendToTessaron(baseName, g_PdfFile, sizeof g_PdfFile)) {
            Warn("0x61000kTSSendToTessaronError");
            return;
        }
        method = PMString("1", PMString::kNoTranslate);
        UpdateDocumentData(document);
        PMString threadError("0x61000kTSPDFUploadError");
        threadError.Translate();

        // A dialog opened while the last upload ran could not clear the request when it
        // opened; the two appended to would otherwise carry that upload's IDs in front.
        g_ProjectID.Clear();
        g_StatusID.Clear();
        g_Name = userName;
        g_Password = prefs->GetPassword();
        TSPanelNodeData node;
        if (TSPanelUtils::GetNodeData(node) && node.IsProject()) g_ProjectID.AppendNumber(node.GetProjectXMLID());

        const PMString status = GetTextControlData(kTSStatusDropDownWidgetID);
        K2Vector<StatusCodeInfo> codes;
        TSPanelUtils::GetStatusCodesInfo(codes);
        for (const StatusCodeInfo& code : codes)
            if (code.name.IsEqual(status, kTrue)) {
                g_StatusID.AppendNumber(code.id);
                break;
            }

        if (GetSelectedClusterWidget(kTSPagesClusterWidgetID) == kTSPageRangeRadioWidgetID) {
            g_PageNumber = GetTextControlData(kTSPageRangeEditBoxWidgetID);
        } else {
            PMString range;
            TSFileNameTemplate::AllPagesRangeText(document, range);
            g_PageNumber = range;
        }
        g_Name.SetTranslatable(kFalse);
        g_Password.SetTranslatable(kFalse);
        g_PageNumber.SetTranslatable(kFalse);

        // The previous upload has ended: its line goes first.
        TSPendingSend::Deliver();
        const PMString line = SendLine(*mapper, method, start);
        if (!TSStartUploadThread()) {
            threadError.SetTranslatable(kFalse);
            CAlert::InformationAlert(threadError);
            return;
        }
        // Only an upload that ends well is a send.
        TSPendingSend::Expect(document, line);
        return;
    } else if (sendTo.IsEqual(PMString(kSendToFolder), kTrue)) {
        if (!SendToFolder(prefs->GetFolderInfo(), fileNameText->GetString())) {
            Warn("0x61000kTSSendToFolderError");
            return;
        }
        method = PMString("2", PMString::kNoTranslate);
        UpdateDocumentData(document);
    } else if (sendTo.IsEqual(PMString(kSendToIDServer), kTrue)) {
        PMString projectCode;
        TSPanelNodeData node;
        if (TSPanelUtils::GetNodeData(node) && node.IsProject()) projectCode = node.GetPrjFileNameText();
        if (!SendToIDServer(document, prefs->GetIDServerInfo(), baseName, fileNameText->GetString(), projectCode)) {
            Warn("0x61000kTSSendToIDServerError");
            return;
        }
        method = PMString("3", PMString::kNoTranslate);
        UpdateDocumentData(document);
    }

    mapper->UpdateMonitorLog(documentRef, SendLine(*mapper, method, start));

    if (sendTo.IsEqual(PMString(kSendToIDServer), kTrue)) {
        InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
        InterfacePtr<IDocFileHandler> handler(utils ? utils->QueryDocFileHandler(documentRef) : nullptr);
        // A document with unsaved changes stays open rather than lose them.
        if (handler) handler->Close(documentRef, IDocFileHandler::kKeepOpenWhenUnsaved, kTrue, kTrue);
    }
}

bool16 TSDialogController::SendToTessaron(PMString docName, char* pdfPath, std::size_t size) {
    if (!pdfPath || size == 0) return kFalse;
    pdfPath[0] = '\0';
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return kFalse;
    const PMString preset = GetTextControlData(kTSPresetDropDownWidgetID);

    TSConnection connection;
    if (!connection.IsAllowedToUpload()) return kFalse;

    const PMString posixPath = MakeTempPdfPath(docName);
    if (posixPath.IsEmpty()) return kFalse;
    char hostPath[kHostPathSize];
    TSPanelUtils::GetAsMacPath(posixPath.GrabCString(), hostPath, sizeof hostPath);
    const PMString filePath(hostPath, PMString::kNoTranslate);

    const bool16 exported = !filePath.IsEmpty() && ExportAsPDF(preset, filePath);
    if (!exported || !FileExists(filePath) || posixPath.GetCString(pdfPath, static_cast<int32>(size)) != posixPath.ByteLength()) {
        TSRemoveUploadFile(posixPath.GrabCString());
        pdfPath[0] = '\0';
        return kFalse;
    }
    return kTrue;
}

bool16 TSDialogController::SendToFolder(const PMString& folder, const PMString& fileName) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return kFalse;
    const PMString preset = GetTextControlData(kTSPresetDropDownWidgetID);
    if (folder.IsEmpty() || !FileExists(folder)) {
        Warn("0x61000kTSFolderPathError");
        return kFalse;
    }
    // The box may have been typed into.
    PMString name;
    if (!TSFileNameTemplate::CleanFileName(fileName, "pdf", name)) return kFalse;
    return ExportAsPDF(preset, JoinHostPath(folder, name));
}

bool16 TSDialogController::SendToIDServer(IDocument* doc, const PMString& hotFolder, const PMString& docName,
                                          const PMString& fileName, const PMString& projectCode) {
    if (!doc) return kFalse;
    if (!doc->IsSaved()) {
        Warn("0x61000kTSDocNotSavedError");
        return kFalse;
    }
    if (hotFolder.IsEmpty() || !FileExists(hotFolder)) {
        Warn("0x61000kTSFolderPathError");
        return kFalse;
    }
    // The document's name is a POSIX name, in which ":" is an ordinary character; what it holds
    // that shows nothing goes, as from the output name.
    PMString ticketName = TSFileNameTemplate::VisibleText(docName);
    ticketName.Append(".xml");
    // The server would never see a hidden ticket, and the send would pass for done.
    if (!TSFileNameTemplate::IsVisibleFileName(ticketName)) return kFalse;
    PMString hostTicketName;
    if (!TSPanelUtils::GetAsMacName(ticketName, hostTicketName)) return kFalse;
    const PMString ticketPath = JoinHostPath(hotFolder, hostTicketName);

    // The box may have been typed into.
    PMString outputName;
    if (!TSFileNameTemplate::CleanFileName(fileName, "indd", outputName)) return kFalse;

    IDataBase* db = GetDataBase(doc);
    IDFile documentFile;
    if (!db || !db->GetSysFile(documentFile)) return kFalse;
    // The ticket names the file on disk: the server must find the changes there.
    if (db->IsModified()) {
        InterfacePtr<IDocFileUtils> fileUtils(UtilsBoss::QueryUtils<IDocFileUtils>());
        if (!fileUtils || fileUtils->Save(GetUIDRef(doc), IDocFileUtils::kSuppressUI) != kSuccess) return kFalse;
    }
    PMString documentPath;
    FileUtils::IDFileToPMString(documentFile, documentPath);

    UIDList pages(db);
    if (GetSelectedClusterWidget(kTSPagesClusterWidgetID) != kTSPageRangeRadioWidgetID) {
        TSFileNameTemplate::AllPages(doc, pages);
    } else {
        InterfacePtr<IPageList> pageList(doc, IID_OF<IPageList>());
        // A ticket without the pages asked for would be reported as sent.
        if (!pageList || pageList->ParsePageRange(GetTextControlData(kTSPageRangeEditBoxWidgetID), &pages, 0) != 0 ||
            pages.IsEmpty())
            return kFalse;
    }
    TSXmlDataHandling ticket;
    return ticket.ExportXML(ticketPath, documentPath, outputName, doc, pages, projectCode) ? kTrue : kFalse;
}

CREATE_PMINTERFACE(TSDialogController, kTSDialogControllerImpl);
