#include "ProgressBars.h"

#include "QuitSignals.h"
#include "RangeProgressBar.h"
#include "Transcript.h"

namespace tshost {

ProgressLog& ProgressLog::Get() {
    static ProgressLog* log = new ProgressLog();
    return *log;
}

void ProgressLog::Opened(const RangeProgressBar* bar, ProgressRecord record) {
    if (fShown) Show("[progress] " + record.title + " " + std::to_string(record.minimum) + ".." + std::to_string(record.maximum));
    fOpen[bar] = fRecords.size();
    fRecords.push_back(std::move(record));
}

ProgressRecord* ProgressLog::Find(const RangeProgressBar* bar) {
    auto it = fOpen.find(bar);
    return it == fOpen.end() || it->second >= fRecords.size() ? nullptr : &fRecords[it->second];
}

void ProgressLog::Closed(const RangeProgressBar* bar) {
    if (ProgressRecord* r = Find(bar)) {
        r->open = false;
        if (fShown)
            Show("[progress] " + r->title + " done at " +
             std::to_string(r->positions.empty() ? r->minimum : r->positions.back()));
    }
    fOpen.erase(bar);
}

}  // namespace tshost

namespace {
constexpr std::size_t kMaxRecordedPositions = 10000;
}

RangeProgressBar::RangeProgressBar(const PMString& title, int32 minimum, int32 maximum, bool16 showCancel)
    : fTitle(title), fPosition(minimum), fCancellable(showCancel) {
    if (fCancellable) tshost::OpenCancellableWait();
    tshost::ProgressRecord record;
    record.title = tshost::DisplayText(title);
    record.minimum = minimum;
    record.maximum = maximum;
    tshost::ProgressLog::Get().Opened(this, std::move(record));
}

RangeProgressBar::~RangeProgressBar() {
    tshost::ProgressLog::Get().Closed(this);
    if (fCancellable) tshost::CloseCancellableWait();
}

bool16 RangeProgressBar::WasCancelled() const { return fCancellable && tshost::WaitCancelled() ? kTrue : kFalse; }

void RangeProgressBar::SetPosition(int32 position) {
    fPosition = position;
    tshost::ProgressRecord* r = tshost::ProgressLog::Get().Find(this);
    // A bar may be moved once per network callback: keep changes only, and a bounded number.
    if (!r || (!r->positions.empty() && r->positions.back() == position)) return;
    if (r->positions.size() >= kMaxRecordedPositions) r->positions.erase(r->positions.begin());
    r->positions.push_back(position);
}

void RangeProgressBar::SetTaskText(const PMString& text) {
    if (tshost::ProgressRecord* r = tshost::ProgressLog::Get().Find(this)) r->taskTexts.push_back(tshost::DisplayText(text));
}
