// Where the host shows things to the user: the transcript (what a user would see: alerts,
// progress, document changes) and the diagnostics (the host's own errors and warnings).
// By default the transcript goes to standard output and diagnostics to standard error,
// each line flushed at once; tests swap in their own sinks to read what was shown.
// User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "PMString.h"

namespace tshost {

using LineSink = std::function<void(std::string_view line)>;

// One line of the transcript, without its line break.
void Show(std::string_view line);
// One line of diagnostics; the default sink prefixes "tessaron-host: ".
void Diagnose(std::string_view line);

// The text as a display point shows it: translated when it is still translatable.
std::string DisplayText(const PMString& text);

// Each returns the sink it replaces; an empty sink restores the default.
LineSink SetTranscriptSink(LineSink sink);
LineSink SetDiagnosticSink(LineSink sink);

// Runs before each transcript line is shown (not again for lines shown while it runs): what
// a line confirms can be put on disk before the user reads it. Returns the hook it replaces;
// an empty hook is none.
using BeforeLine = std::function<void()>;
BeforeLine SetBeforeShow(BeforeLine hook);

}  // namespace tshost
