#include "PDFExportCommand.h"

#include "Clock.h"
#include "CmdUtils.h"
#include "DataBase.h"
#include "ExportIDs.h"
#include "FileUtils.h"
#include "Host.h"
#include "HostIDs.h"
#include "IDocument.h"
#include "IPDFExportPrefs.h"
#include "IPageList.h"
#include "InterfacePtr.h"
#include "PDFWriter.h"
#include "ProgressBars.h"
#include "RangeProgressBar.h"
#include "SpreadList.h"

namespace tshost {

namespace {

// Outputs beyond this are refused rather than written: the largest document has fewer pages.
constexpr int32 kMaxOutputItems = Documents::kMaxPages;

struct FailureInjection {
    int32 remaining = 0;
    ErrorCode code = kFailure;
};

FailureInjection& Injection() {
    static FailureInjection injection;
    return injection;
}

int64& ExportTime() {
    static int64 ms = 0;
    return ms;
}

std::string& Problem() {
    static std::string problem;
    return problem;
}

// The open document whose database this is; null once it closed, so that a command set up
// before a close never reaches into a database that is gone.
IDocument* OpenDocumentOf(IDataBase* db) {
    Host* host = Host::Current();
    if (!host || !db) return nullptr;
    for (int32 i = 0; i < host->Docs().Count(); ++i)
        if (IDocument* document = host->Docs().At(i); document && ::GetDataBase(document) == db) return document;
    return nullptr;
}

std::string PageName(const IPageList* pages, UID page) {
    PMString name;
    pages->GetPageString(page, name, kFalse, kTrue, kFalse, kTrue);
    return name.GetUTF8String();
}

void Advance(RangeProgressBar* bar, int32 done, int32 total) {
    // A bar handed over for an earlier export may be gone: only a bar still shown is moved.
    ProgressRecord* record = bar ? ProgressLog::Get().Find(bar) : nullptr;
    if (!record || total <= 0) return;
    int64 span = int64(record->maximum) - record->minimum;
    bar->SetPosition(static_cast<int32>(record->minimum + span * done / total));
}

}  // namespace

void FailNextExports(int32 count, ErrorCode code) {
    Injection().remaining = count > 0 ? count : 0;
    Injection().code = code == kSuccess ? kFailure : code;
}

int32 PendingExportFailures() { return Injection().remaining; }

void SetExportTime(int64 ms) { ExportTime() = ms > 0 ? ms : 0; }

const std::string& LastExportProblem() { return Problem(); }

void PDFExportCommand::Do() {
    Clock::Advance(ExportTime());
    std::string problem;
    ErrorCode code = Export(problem);
    Problem() = code == kSuccess ? std::string() : problem;
    if (code != kSuccess) ErrorUtils::PMSetGlobalErrorCode(code);
}

ErrorCode PDFExportCommand::Export(std::string& problem) {
    if (Injection().remaining > 0) {
        --Injection().remaining;
        problem = "the export was made to fail";
        return Injection().code;
    }
    InterfacePtr<IPDFExportPrefs> prefs(this, IID_OF<IPDFExportPrefs>());
    InterfacePtr<ISysFileData> file(this, IID_OF<ISysFileData>());
    InterfacePtr<IUIFlagData> uiFlags(this, IID_OF<IUIFlagData>());
    InterfacePtr<IOutputPages> outputs(this, IID_OF<IOutputPages>());
    if (!prefs || !file || !uiFlags || !outputs) {
        problem = "the export command lacks its parameters";
        return kInvalidParameterError;
    }
    PdfJob job;
    job.posixPath = FileUtils::GetPosixPath(file->GetSysFile());
    if (job.posixPath.empty()) {
        problem = file->GetSysFile().IsEmpty() ? "no PDF file was given" : "'" + file->GetSysFile().GetPath() + "' is no file path";
        return kInvalidParameterError;
    }
    if (outputs->GetIsBook()) {
        problem = "books cannot be exported: this host has none";
        return kInvalidParameterError;
    }
    IDocument* document = OpenDocumentOf(outputs->GetDataBase());
    if (!document) {
        problem = outputs->GetDataBase() ? "the document to export is no longer open" : "no document was given to export";
        return kInvalidParameterError;
    }
    const int32 count = outputs->GetOutputPageCount();
    if (count == 0) {
        problem = "no pages were given to export";
        return kInvalidParameterError;
    }
    if (count > kMaxOutputItems) {
        problem = "at most " + std::to_string(kMaxOutputItems) + " pages or spreads can be exported at once";
        return kInvalidParameterError;
    }
    auto* db = dynamic_cast<DataBase*>(outputs->GetDataBase());
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    if (!db || !pages) {
        problem = "the document has no pages";
        return kInvalidParameterError;
    }
    for (int32 i = 0; i < count; ++i) {
        UIDRef item = outputs->GetNthOutputPageUIDRef(i);
        std::string which = "output item " + std::to_string(i + 1);
        if (item.GetDataBase() != db) {
            problem = which + " is not in the document being exported";
            return kInvalidParameterError;
        }
        PdfItem pdfItem;
        ClassID cls = db->GetClass(item.GetUID());
        if (cls == kPageBoss) {
            pdfItem.pageNames.push_back(PageName(pages.get(), item.GetUID()));
        } else if (cls == kSpreadBoss) {
            InterfacePtr<ISpreadData> spread(db, item.GetUID(), IID_OF<ISpreadData>());
            for (int32 p = 0; spread && p < spread->GetPageCount(); ++p)
                pdfItem.pageNames.push_back(PageName(pages.get(), spread->GetNthPageUID(p)));
        }
        if (pdfItem.pageNames.empty()) {
            problem = which + " is neither a page nor a spread of the document";
            return kInvalidParameterError;
        }
        job.items.push_back(std::move(pdfItem));
    }
    job.documentName = Documents::NameOf(document);
    job.presetName = prefs->GetPresetName().GetUTF8String();
    job.uiFlags = uiFlags->Get();
    job.spreads = prefs->GetExportReaderSpreads() != kFalse;
    RangeProgressBar* bar = prefs->GetProgressBar();
    job.progress = [bar](int32 done, int32 total) { Advance(bar, done, total); };
    return WritePdf(job, problem);
}

void ExportOutputPages::Clear() {
    fDataBase = nullptr;
    fIsBook = false;
    fItems.clear();
}

void ExportOutputPages::AppendOutputPageUIDRef(const UIDRef& item) {
    // Bounded: what is past the limit fails the export anyway.
    if (fItems.size() <= static_cast<std::size_t>(kMaxOutputItems)) fItems.push_back(item);
}

UIDRef ExportOutputPages::GetNthOutputPageUIDRef(int32 index) const {
    return index >= 0 && index < GetOutputPageCount() ? fItems[static_cast<std::size_t>(index)] : UIDRef::gNull;
}

}  // namespace tshost
