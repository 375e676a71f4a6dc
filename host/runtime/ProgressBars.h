// The host's progress bars as the console shows them. Every RangeProgressBar is recorded
// (title translated if it was still translatable, range, each position, task texts) and
// shown on the transcript when it appears ("[progress] title 0..100") and when it goes
// ("[progress] title done at 57"); positions in between are recorded, not shown. Showing can
// be turned off (the console's "progress off"): bars that come and go with network timing
// would otherwise make transcripts differ from run to run.
// User-interface thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "PMTypes.h"

class RangeProgressBar;

namespace tshost {

struct ProgressRecord {
    std::string title;
    int32 minimum = 0;
    int32 maximum = 0;
    std::vector<int32> positions;
    std::vector<std::string> taskTexts;
    bool open = true;
};

class ProgressLog {
public:
    static ProgressLog& Get();

    const std::vector<ProgressRecord>& Records() const { return fRecords; }
    void Clear() { fRecords.clear(); fOpen.clear(); }
    void SetShown(bool shown) { fShown = shown; }
    bool Shown() const { return fShown; }

    // Called by RangeProgressBar.
    void Opened(const RangeProgressBar* bar, ProgressRecord record);
    ProgressRecord* Find(const RangeProgressBar* bar);
    void Closed(const RangeProgressBar* bar);

private:
    ProgressLog() = default;
    bool fShown = true;
    std::vector<ProgressRecord> fRecords;
    std::map<const RangeProgressBar*, std::size_t> fOpen;
};

}  // namespace tshost
