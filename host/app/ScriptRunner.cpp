#include "ScriptRunner.h"

#include <exception>

#include "Host.h"
#include "QuitSignals.h"
#include "Transcript.h"

namespace tshost {

namespace {

constexpr std::size_t kMaxLineBytes = 64 * 1024;

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// std::getline keeps any length; a script line is bounded. False at the end of input. A
// line longer than the bound is read to its end but kept short, and `tooLong` set.
bool ReadLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    std::streambuf* buffer = in.rdbuf();
    bool any = false;
    for (;;) {
        int c = buffer ? buffer->sbumpc() : std::char_traits<char>::eof();
        if (c == std::char_traits<char>::eof()) return any;
        any = true;
        if (c == '\n') return true;
        if (line.size() < kMaxLineBytes)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
}

}  // namespace

std::optional<ConsoleArgs> SplitWords(const std::string& text, std::string& error) {
    ConsoleArgs args;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size() || text[i] == '#') break;
        std::string word;
        while (i < text.size() && !IsBlank(text[i])) {
            if (text[i] != '"') {
                word += text[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\')) c = text[i++];
                word += c;
            }
            if (!closed) {
                error = "unterminated quote";
                return std::nullopt;
            }
        }
        args.words.push_back(std::move(word));
    }
    return args;
}

bool RunScript(std::istream& in, const std::string& name, ConsoleContext& context, const ScriptOptions& options) {
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& message) {
        Diagnose(name + ":" + std::to_string(number) + ": " + message);
        return false;
    };
    bool tooLong = false;
    // A line that confirms a change of the workspace is shown once the workspace file holds
    // the change, so a crash right after it loses nothing the user was told of.
    struct SaveBeforeShow {
        BeforeLine previous;
        explicit SaveBeforeShow(Host& host) : previous(SetBeforeShow([&host] { host.SaveChangedWorkspace(); })) {}
        ~SaveBeforeShow() { SetBeforeShow(std::move(previous)); }
    } saveBeforeShow(context.host);
    while (!context.quit && QuitSignal() == 0 && ReadLine(in, line, tooLong)) {
        ++number;
        if (tooLong) return fail("line longer than " + std::to_string(kMaxLineBytes) + " bytes");
        std::string error;
        std::optional<ConsoleArgs> words = SplitWords(line, error);
        if (!words) return fail(error);
        if (words->words.empty()) continue;
        std::string command = words->words.front();
        words->words.erase(words->words.begin());
        std::string trimmed = Trim(line);
        std::size_t gap = trimmed.find_first_of(" \t");
        words->rest = gap == std::string::npos ? std::string() : Trim(trimmed.substr(gap));
        const ConsoleCommand* handler = ConsoleCommand::Find(command);
        if (!handler) return fail("unknown command '" + command + "' (help lists the commands)");
        if (options.echo) Show("> " + trimmed);
        bool ok = false;
        try {
            ok = handler->Run(context, *words, error);
        } catch (const std::exception& e) {
            error = std::string("failed: ") + e.what();
        } catch (...) {
            error = "failed";
        }
        // What the line changed without showing anything is kept too.
        context.host.SaveChangedWorkspace();
        if (!ok) return fail(command + ": " + error);
    }
    return true;
}

}  // namespace tshost
