// Runs a console script: one command per line, blank lines and '#' comments skipped, words
// split at blanks, double quotes grouping a word ("a b", with \" and \\ inside). The script
// stops at the first failing line, which is reported on standard error as
// "NAME:LINE: message"; the caller exits non-zero. A quit command ends it early, and so does
// a signal that asks the host to quit (QuitSignals.h), before the next line. A line that
// changed the workspace saves it before it shows anything, so what it confirms is on disk
// when the user reads it, and else at its end.
// User-interface thread only.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "ConsoleCommands.h"

namespace tshost {

struct ScriptOptions {
    bool echo = false;  // show each command as "> line" before running it
};

// True when every line ran.
bool RunScript(std::istream& in, const std::string& name, ConsoleContext& context, const ScriptOptions& options);

// Splits one line into words; empty optional with `error` for an unterminated quote.
std::optional<ConsoleArgs> SplitWords(const std::string& text, std::string& error);

}  // namespace tshost
