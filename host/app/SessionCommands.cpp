// Console commands for the session: idle time, the clock and the machine's sleep, the
// application's background state, scripted alert answers, help, echo and quit.
#include <algorithm>
#include <charconv>

#include "Alerts.h"
#include "Clock.h"
#include "ConsoleCommands.h"
#include "ProgressBars.h"
#include "IdleScheduler.h"
#include "Transcript.h"

namespace tshost {

namespace {

// Idle time asked of one command is bounded, since every task runs at each moment it falls due.
constexpr int64 kMaxIdleMs = 24LL * 60 * 60 * 1000;

// "250ms", "5s", "2m", "1h".
std::optional<int64> ParseDuration(const std::string& text) {
    int64 amount = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), amount);
    if (ec != std::errc() || end == text.data() || amount < 0) return std::nullopt;
    std::string unit(end, text.data() + text.size());
    int64 scale = unit == "ms" ? 1 : unit == "s" ? 1000 : unit == "m" ? 60000 : unit == "h" ? 3600000 : 0;
    if (scale == 0 || amount > kMaxIdleMs / scale) return std::nullopt;
    return amount * scale;
}

// The one DURATION argument of `command`; empty, with the error set, when there is none.
std::optional<int64> DurationArgument(const char* command, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) {
        Usage(command, error);
        return std::nullopt;
    }
    std::optional<int64> ms = ParseDuration(args.words[0]);
    if (!ms) error = "'" + args.words[0] + "' is no duration: a whole number with ms, s, m or h, at most 24h";
    return ms;
}

bool Idle(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    std::optional<int64> ms = DurationArgument("idle", args, error);
    if (!ms) return false;
    IdleScheduler::Get().Idle(*ms);
    return true;
}

bool Sleep(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    std::optional<int64> ms = DurationArgument("sleep", args, error);
    if (!ms) return false;
    if (!Clock::IsVirtual()) {
        error = "only a virtual clock can sleep: 'clock virtual' first";
        return false;
    }
    // Nothing runs while the machine sleeps: the idle tasks that fell due meanwhile run late.
    Clock::Advance(*ms);
    Show("slept " + args.words[0] + ", clock: " + Clock::FormatLocal(Clock::NowMs()));
    return true;
}

bool ClockCommand(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    const std::vector<std::string>& w = args.words;
    if (w.empty()) {
        // Just shows the time.
    } else if (w[0] == "set" && w.size() == 3) {
        std::optional<int64> ms = Clock::ParseLocal(w[1] + " " + w[2]);
        if (!ms) {
            error = "'" + w[1] + " " + w[2] + "' is no date and time: YYYY-MM-DD HH:MM:SS";
            return false;
        }
        Clock::SetVirtual(*ms);
    } else if (w[0] == "real" && w.size() == 1) {
        Clock::UseRealTime();
    } else if (w[0] == "virtual" && w.size() == 1) {
        Clock::MakeVirtual();
    } else {
        return Usage("clock", error);
    }
    Show("clock: " + Clock::FormatLocal(Clock::NowMs()) + (Clock::IsVirtual() ? " (virtual)" : " (real)"));
    return true;
}

bool App(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1 || (args.words[0] != "background" && args.words[0] != "foreground")) return Usage("app", error);
    bool background = args.words[0] == "background";
    IdleScheduler::Get().SetBackground(background);
    Show(background ? "application in the background" : "application in the foreground");
    return true;
}

bool AlertsCommand(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 2 || args.words[0] != "answer") return Usage("alerts", error);
    int button = 0;
    const std::string& text = args.words[1];
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), button);
    if (ec != std::errc() || end != text.data() + text.size() || button < 1 || button > 3) {
        error = "the answer is a button number from 1 to 3, not '" + text + "'";
        return false;
    }
    AlertLog::Get().QueueAnswer(static_cast<int16>(button));
    return true;
}

bool Tasks(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("tasks", error);
    std::vector<IdleScheduler::TaskInfo> tasks = IdleScheduler::Get().Tasks();
    if (tasks.empty()) Show("no idle tasks");
    for (const IdleScheduler::TaskInfo& t : tasks)
        Show(DisplayText(PMString(t.name)) + " in " + std::to_string(std::max<int64>(t.dueMs - Clock::SteadyMs(), 0)) + "ms");
    return true;
}

bool Help(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    for (const ConsoleCommand* c : ConsoleCommand::All()) Show(std::string(c->Usage()) + "  -  " + c->Summary());
    return true;
}

bool Echo(ConsoleContext&, const ConsoleArgs& args, std::string&) {
    std::string text;
    for (const std::string& word : args.words) text += (text.empty() ? "" : " ") + word;
    Show(text);
    return true;
}

bool Quit(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("quit", error);
    context.quit = true;
    return true;
}

ConsoleCommand gIdle("idle", "idle DURATION", "let idle time pass (250ms, 5s, 2m, 1h), running the idle tasks that fall due", Idle);
ConsoleCommand gSleep("sleep", "sleep DURATION",
                      "the machine sleeps (virtual clock): both clocks jump forward and no idle task runs meanwhile", Sleep);
ConsoleCommand gClock("clock", "clock [set YYYY-MM-DD HH:MM:SS | real | virtual]",
                      "show the host's clock, set the date and time (the clock then stands still but for idle time; "
                      "durations do not see the step), or switch it", ClockCommand);
bool Progress(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1 || (args.words[0] != "on" && args.words[0] != "off")) return Usage("progress", error);
    ProgressLog::Get().SetShown(args.words[0] == "on");
    return true;
}

ConsoleCommand gProgress("progress", "progress on|off", "show or stop showing progress bars on the transcript", Progress);
ConsoleCommand gApp("app", "app background|foreground", "put the application in the background or bring it back", App);
ConsoleCommand gAlerts("alerts", "alerts answer N", "the button (1-3) the next modal alert is answered with", AlertsCommand);
ConsoleCommand gTasks("tasks", "tasks", "list the installed idle tasks, in install order, with the time to their next run", Tasks);
ConsoleCommand gHelp("help", "help", "list the commands", Help);
ConsoleCommand gEcho("echo", "echo TEXT", "show TEXT", Echo);
ConsoleCommand gQuit("quit", "quit", "quit the host (the end of the script does too)", Quit);

}  // namespace

}  // namespace tshost
