#include "TSActiveMapper.h"

#include <algorithm>
#include <cstdint>

#include "IApplication.h"
#include "IDTime.h"
#include "IDataBase.h"
#include "IDocFileUtils.h"
#include "IDocument.h"
#include "IDocumentList.h"
#include "IMetaDataAccess.h"
#include "INumberUtils.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "TSActivityGlobals.h"
#include "TSID.h"
#include "UtilsBoss.h"

namespace {

// Fixed for good: every document written in any run must gather under the same namespace.
constexpr const char* kTrackingNamespaceURI = "http://ns.tessaron.com/xmp/tracking/1.0/";
constexpr const char* kTrackingPrefix = "tracking";

PMString Plain(const char* text) { return PMString(text, PMString::kNoTranslate); }

// Whole seconds, rounding toward the past, so moments before the epoch stay in their second.
int64 WholeSeconds(int64 ms) { return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000); }

// Appends a field of a date or time: decimal, with a "0" in front of one digit.
void AppendField(INumberUtils* numbers, int32 value, PMString& text) {
    if (value >= 0 && value <= 9) text.Append("0");
    if (numbers) {
        text.Append(numbers->IntegerToText(value));
    } else {
        text.AppendNumber(value);
    }
}

// Appends the local date of `at` as YYYYMMDD.
void AppendDate(const IDTime& at, PMString& text) {
    int32 year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    at.GetTime(&year, &month, &day, &hour, &minute, &second);
    InterfacePtr<INumberUtils> numbers(UtilsBoss::QueryUtils<INumberUtils>());
    if (numbers) {
        text.Append(numbers->IntegerToText(year));
    } else {
        text.AppendNumber(year);
    }
    AppendField(numbers.get(), month, text);
    AppendField(numbers.get(), day, text);
}

}  // namespace

TSActiveMapper* TSActiveMapper::TSActiveMapperPtr = nullptr;

TSActiveMapper* TSActiveMapper::TSActiveMapperFactory() {
    if (!TSActiveMapperPtr) TSActiveMapperPtr = new TSActiveMapper();
    return TSActiveMapperPtr;
}

// Clock value 0 is the steady clock now, moved back to where the wall clock's second began, so
// that both clocks turn to the next second together.
TSActiveMapper::TSActiveMapper()
    : mClockOrigin(IDTime::SteadyMilliseconds() -
                   (IDTime::CurrentTime().GetMilliseconds() - WholeSeconds(IDTime::CurrentTime().GetMilliseconds()) * 1000)) {}

int32 TSActiveMapper::Time() {
    // Sixty-eight years of a run fit.
    const int64 elapsed = WholeSeconds(IDTime::SteadyMilliseconds() - mClockOrigin);
    return static_cast<int32>(std::clamp<int64>(elapsed, 0, INT32_MAX));
}

int64 TSActiveMapper::WallSeconds(int32 t) {
    // Counted back from the wall clock now in whole seconds of both clocks, so that the
    // present shows exactly what the wall clock shows.
    return WholeSeconds(IDTime::CurrentTime().GetMilliseconds()) - (static_cast<int64>(Time()) - t);
}

int32 TSActiveMapper::TimeOfDay(int32 t) {
    int32 year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    IDTime::AtMilliseconds(WallSeconds(t) * 1000).GetTime(&year, &month, &day, &hour, &minute, &second);
    return hour * 3600 + minute * 60 + second;
}

int32 TSActiveMapper::LastIndexOf(const K2Vector<Entry>& entries, const UIDRef& doc) {
    for (int32 i = static_cast<int32>(entries.size()) - 1; i >= 0; --i)
        if (entries[static_cast<size_t>(i)].first == doc) return i;
    return -1;
}

bool16 TSActiveMapper::IsTracked(UIDRef doc) { return LastIndexOf(mActiveTimers, doc) >= 0 ? kTrue : kFalse; }

int32 TSActiveMapper::LookUpActiveTime(UIDRef doc) {
    int32 i = LastIndexOf(mActiveTimers, doc);
    return i < 0 ? 0 : mActiveTimers[static_cast<size_t>(i)].second;
}

void TSActiveMapper::UpdateActiveTimer(UIDRef doc, int32 t) {
    for (Entry& e : mActiveTimers)
        if (e.first == doc) e.second = t;
}

void TSActiveMapper::ModifyActiveTime(UIDRef doc, int32 t) {
    int32 period = TSElapsedSeconds(LookUpActiveTime(doc), t);
    for (Entry& e : mActiveTimes)
        if (e.first == doc) e.second += period;
}

void TSActiveMapper::ModifyPdfGenerationTime(UIDRef doc, int32 seconds) {
    for (Entry& e : mPdfGenerationTimes)
        if (e.first == doc) e.second += seconds;
}

void TSActiveMapper::AddAction(UIDRef doc, int32 t) {
    // Tracked means having entries, not a nonzero start: a period that began at the mapper's
    // first moment starts at 0, and a second set of entries for the document would outlive
    // its close.
    if (IsTracked(doc)) return;
    mActiveTimers.emplace_back(doc, t);
    mActiveTimes.emplace_back(doc, 0);
    mPdfGenerationTimes.emplace_back(doc, 0);
}

void TSActiveMapper::UpdateMonitorLog(UIDRef doc, PMString line) {
    // A multimap puts an equal key after the ones it holds, so a document's lines keep
    // their order.
    mMonitorLog.emplace(doc, std::move(line));
}

void TSActiveMapper::ClearMonitorLog(UIDRef doc) { mMonitorLog.erase(doc); }

void TSActiveMapper::DateConversion(PMString& text) { AppendDate(IDTime::CurrentTime(), text); }

void TSActiveMapper::TimeConversion(int32 seconds, PMString& text) {
    // Durations are never negative here, but a caller's subtraction may be: a sign in front
    // keeps every field a plain number.
    int64 magnitude = seconds;
    if (magnitude < 0) {
        text.Append("-");
        magnitude = -magnitude;
    }
    auto minutes = static_cast<int32>(magnitude / 60);
    auto rest = static_cast<int32>(magnitude % 60);
    int32 hours = 0;
    if (minutes >= 60) {
        hours = minutes / 60;
        minutes -= hours * 60;
    }
    InterfacePtr<INumberUtils> numbers(UtilsBoss::QueryUtils<INumberUtils>());
    AppendField(numbers.get(), hours, text);
    text.Append(":");
    AppendField(numbers.get(), minutes, text);
    text.Append(":");
    AppendField(numbers.get(), rest, text);
}

void TSActiveMapper::AppendStamp(int32 t, PMString& text) {
    // A late check stamps a moment of an earlier day, after a night's sleep for instance.
    AppendDate(IDTime::AtMilliseconds(WallSeconds(t) * 1000), text);
    text.Append(" ");
    TimeConversion(TimeOfDay(t), text);
}

void TSActiveMapper::AppendStampedLine(UIDRef doc, const char* tag, int32 t) {
    PMString line = Plain("<");
    line.Append(tag);
    line.Append(">");
    AppendStamp(t, line);
    line.Append("</");
    line.Append(tag);
    line.Append(">");
    UpdateMonitorLog(doc, line);
}

void TSActiveMapper::UpdateFirstActiveEntry(UIDRef doc, int32 t) { AppendStampedLine(doc, "doc_open", t); }

void TSActiveMapper::UpdateActiveEntry(UIDRef doc, int32 t) { AppendStampedLine(doc, "doc_active_at", t); }

void TSActiveMapper::UpdateInactiveEntry(UIDRef doc, int32 t) { AppendStampedLine(doc, "doc_inactive_at", t); }

void TSActiveMapper::AppendToOpenDocuments(const char* tag, int32 t) {
    PMString line = Plain("<");
    line.Append(tag);
    line.Append(">");
    AppendStamp(t, line);
    line.Append("</");
    line.Append(tag);
    line.Append(">");

    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    InterfacePtr<IDocumentList> documents(application ? application->QueryDocumentList() : nullptr);
    if (!documents) return;
    int32 count = documents->GetDocCount();
    for (int32 i = 0; i < count; ++i) {
        IDocument* document = documents->GetNthDoc(i);
        if (!document) break;
        UpdateMonitorLog(::GetUIDRef(document), line);
    }
}

void TSActiveMapper::UpdateActiveAppEntry(int32 t) { AppendToOpenDocuments("indd_app_active_at", t); }

void TSActiveMapper::UpdateInactiveAppEntry(int32 t) { AppendToOpenDocuments("indd_app_inactive_at", t); }

void TSActiveMapper::CloseXMPFile(UIDRef doc, int32 t) {
    int32 i = LastIndexOf(mActiveTimes, doc);
    if (i < 0) return;
    int32 active = mActiveTimes[static_cast<size_t>(i)].second;
    int32 p = LastIndexOf(mPdfGenerationTimes, doc);
    int32 pdf = p < 0 ? 0 : mPdfGenerationTimes[static_cast<size_t>(p)].second;

    PMString activeText = Plain(""), pdfText = Plain("");
    TimeConversion(active, activeText);
    TimeConversion(pdf, pdfText);

    AppendStampedLine(doc, "doc_close", t);
    PMString total = Plain("<doc_total_active_time>");
    total.Append(activeText);
    total.Append("</doc_total_active_time>");
    UpdateMonitorLog(doc, total);
    PMString pdfTotal = Plain("<pdf_total_generation_time>");
    pdfTotal.Append(pdfText);
    pdfTotal.Append("</pdf_total_generation_time>");
    UpdateMonitorLog(doc, pdfTotal);

    auto at = static_cast<K2Vector<Entry>::difference_type>(i);
    mActiveTimers.erase(mActiveTimers.begin() + at);
    mActiveTimes.erase(mActiveTimes.begin() + at);
    mPdfGenerationTimes.erase(mPdfGenerationTimes.begin() + at);
}

void TSActiveMapper::UpdateXMPProperty(UIDRef doc) {
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), kTSPrefsDataInterfaceID);
    if (!prefs) return;
    PMString userName = prefs->GetUserName();
    if (userName.IsEmpty()) return;

    InterfacePtr<IDocument> document(doc, IID_OF<IDocument>());
    IDataBase* db = doc.GetDataBase();
    if (!document || !db) return;
    // The log goes out with the document's own save; unsaved changes are not ours to save.
    if (db->IsModified()) return;
    bool16 savedBefore = document->IsSaved();

    InterfacePtr<IMetaDataAccess> metadata(document.get(), IID_OF<IMetaDataAccess>());
    if (!metadata) return;
    PMString prefix = Plain("");
    metadata->RegisterNamespace(Plain(kTrackingNamespaceURI), Plain(kTrackingPrefix), prefix);
    PMString namespaceURI = Plain("");
    if (!metadata->GetNamespaceURI(prefix, namespaceURI)) return;
    PMString property = prefix;
    property.Append(userName);
    property.SetTranslatable(kFalse);

    auto [first, last] = mMonitorLog.equal_range(doc);
    for (auto it = first; it != last; ++it)
        if (!it->second.IsEmpty())
            metadata->AppendArrayItem(namespaceURI, property, it->second, IMetaDataAccess::kOrderedArray, 0);

    if (savedBefore) {
        InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
        if (files) files->Save(doc, IDocFileUtils::kSuppressUI);
    }
    db->SetModified(kFalse);
}
