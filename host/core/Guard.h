// The edge between the plug-in and the host's own work. A host entry point that the plug-in
// calls runs its work through Guarded, so that no exception ever crosses an SDK call: one
// that escapes the work is reported and the entry point returns its failure result.
//
// Problems that no caller can be told of (an exception stopped at the edge, damaged stored
// bytes, a refused PreDirty) are reported through one sink. The host application points it
// at its diagnostics; until then reports go to standard error.
// User-interface thread only.
#pragma once

#include <exception>
#include <string_view>

namespace tshost {

using ProblemSink = void (*)(std::string_view line);

// Null restores standard error.
void SetProblemSink(ProblemSink sink);
void ReportProblem(std::string_view line) noexcept;
// "<what> failed: <reason>", or "<what> failed" without a reason.
void ReportFailure(std::string_view what, const char* reason) noexcept;

template <class Result, class Work>
Result Guarded(std::string_view what, Result onFailure, Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception& e) {
        ReportFailure(what, e.what());
    } catch (...) {
        ReportFailure(what, nullptr);
    }
    return onFailure;
}

}  // namespace tshost
