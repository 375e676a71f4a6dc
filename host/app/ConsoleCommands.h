// The console's command table. Each subsystem's file declares its commands as file-scope
// ConsoleCommand objects (name, usage, one-line summary, handler), so a new subsystem adds
// commands without touching the script runner. A handler shows its output with
// tshost::Show and returns false with a message for a failed command; the runner adds the
// script name and line. Commands are linked at load time and only read afterwards.
// User-interface thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IDocument;

namespace tshost {

class Host;

struct ConsoleContext {
    Host& host;
    bool quit = false;  // set by a command that ends the script
};

struct ConsoleArgs {
    std::vector<std::string> words;  // after the command name; quotes removed
    std::string rest;                // the raw text after the command name, trimmed
};

class ConsoleCommand {
public:
    using Handler = bool (*)(ConsoleContext& context, const ConsoleArgs& args, std::string& error);

    ConsoleCommand(const char* name, const char* usage, const char* summary, Handler handler);
    ConsoleCommand(const ConsoleCommand&) = delete;
    ConsoleCommand& operator=(const ConsoleCommand&) = delete;

    static const ConsoleCommand* Find(std::string_view name);
    // Every command, by name.
    static std::vector<const ConsoleCommand*> All();

    const char* Name() const { return fName; }
    const char* Usage() const { return fUsage; }
    const char* Summary() const { return fSummary; }
    bool Run(ConsoleContext& context, const ConsoleArgs& args, std::string& error) const {
        return fHandler(context, args, error);
    }

private:
    const char* fName;
    const char* fUsage;
    const char* fSummary;
    Handler fHandler;
    ConsoleCommand* fNext;
};

// For a handler given the wrong words: sets `error` to the command's usage line and returns
// false.
bool Usage(const char* name, std::string& error);
// The document a command names by its first word, else the front document; null with
// `error` when there is none.
IDocument* FrontOrNamed(Host& host, const ConsoleArgs& args, std::string& error);

}  // namespace tshost
