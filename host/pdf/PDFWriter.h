// Writes the PDF of one export with cairo: one PDF page per output item, a page at A4 size
// and a spread as its pages side by side. Each page shows the document's name, the page's
// name, and the preset and UI flags; the file's metadata holds the document's name as title,
// the preset's name as subject, and as keywords "ui-flags=N; spreads=0|1; items=…" with the
// items' page names in output order, a spread's pages joined by "+" ("items=1,2+3").
//
// The PDF is written beside its target under a temporary name and renamed over the target
// only when complete, so a failed export leaves no file and an existing file as it was. An
// export during which the host is asked to quit (QuitSignals.h) stops after the page it is
// writing and fails in the same way.
// User-interface thread only (the font machinery is process-wide).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "PMTypes.h"

namespace tshost {

struct PdfItem {
    std::vector<std::string> pageNames;  // one for a page, one per page for a spread
};

struct PdfJob {
    std::string posixPath;
    std::string documentName;
    std::string presetName;
    int32 uiFlags = 0;
    bool spreads = false;
    std::vector<PdfItem> items;
    // Called after each item is written with (items done, items in all).
    std::function<void(int32 done, int32 total)> progress;
};

constexpr double kPdfPageWidth = 595;   // A4, in points
constexpr double kPdfPageHeight = 842;

// kSuccess, or an error code with `error` saying why and no file written.
ErrorCode WritePdf(const PdfJob& job, std::string& error);

// The keywords WritePdf records for a job.
std::string PdfKeywords(const PdfJob& job);

}  // namespace tshost
