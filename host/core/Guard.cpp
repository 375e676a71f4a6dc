#include "Guard.h"

#include <cstdio>
#include <string>

namespace tshost {

namespace {
ProblemSink gSink = nullptr;
}

void SetProblemSink(ProblemSink sink) { gSink = sink; }

void ReportProblem(std::string_view line) noexcept {
    if (gSink) {
        try {
            gSink(line);
            return;
        } catch (...) {
            // Reporting must not fail in turn: fall back to standard error.
        }
    }
    std::fprintf(stderr, "tessaron-host: %.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

void ReportFailure(std::string_view what, const char* reason) noexcept {
    try {
        std::string line(what);
        line += " failed";
        if (reason && *reason) line += std::string(": ") + reason;
        ReportProblem(line);
    } catch (...) {
        ReportProblem(what);
    }
}

}  // namespace tshost
