// The console program as a user runs it: scripts, their errors with line numbers and exit
// codes, plug-in loading and listing, alerts and idle time with a real plug-in library.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "HostTestSupport.h"

namespace {

using tstest::Bin;

// Runs tessaron-host with `args`, its files in the folder's home, `input` on standard input.
tstest::Finished Host(const tstest::TempDir& dir, const std::vector<std::string>& args, const std::string& input = "") {
    return tstest::Run(tstest::HostArgs(dir / "home", args), input);
}

TEST(ConsoleTest, TheFirstBadLineStopsTheScriptWithItsLineNumber) {
    struct Case { std::string script; int line; const char* expected; };
    const Case cases[] = {
        {"new\n\nfrob 3", 3, "unknown command 'frob'"},
        {"new abc", 1, "new: PAGES must be a number from 1 to 9999, not 'abc'"},
        {"new 0", 1, "new: a new document has 1 to 9999 pages, not 0"},
        {"idle 5x", 1, "idle: '5x' is no duration"},
        {"idle 25h", 1, "idle: '25h' is no duration"},
        {"idle", 1, "idle: usage: idle DURATION"},
        {"clock set 2007-13-01 00:00:00", 1, "clock: '2007-13-01 00:00:00' is no date and time"},
        {"alerts answer 4", 1, "alerts: the answer is a button number from 1 to 3, not '4'"},
        {"app sideways", 1, "app: usage: app background|foreground"},
        {"close", 1, "close: no document is open"},
        {"save-as", 1, "save-as: usage: save-as PATH"},
        {"open /nonexistent/x.indd", 1, "open: /nonexistent/x.indd: no such file"},
        {"new\nfront Nope", 2, "front: no open document named 'Nope'"},
        {"echo \"unterminated", 1, "unterminated quote"},
        {"echo ok\necho " + std::string(65536 - 5 + 1, 'x'), 2, "line longer than 65536 bytes"},
    };
    for (const Case& c : cases) {
        tstest::TempDir dir;
        tstest::WriteFile(dir / "s.txt", c.script + "\necho not reached\n");
        tstest::Finished r = Host(dir, {"--no-default-plugin", dir / "s.txt"});
        EXPECT_EQ(r.status, 1) << c.script;
        std::string expected = dir / "s.txt" + ":" + std::to_string(c.line) + ": " + c.expected;
        EXPECT_NE(r.err.find(expected), std::string::npos) << c.script << "\n" << r.err;
        EXPECT_EQ(r.out.find("not reached"), std::string::npos) << c.script;
    }
}

TEST(ConsoleTest, BadCommandLinesAndBrokenPlugInsExitWithTwo) {
    tstest::TempDir dir;
    std::filesystem::copy_file(Bin("HostTestPlugin.so"), dir / "Broken.so");
    tstest::WriteFile(dir / "Broken.json", "{\"plugin\": {\"id\": \"0x7f500\", \"name\": \"Broken\"},\n \"bosses\": 7}\n");
    struct Case { std::vector<std::string> args; std::string expected; };
    const Case cases[] = {
        {{"--no-default-plugin", dir / "none.txt"}, dir / "none.txt" + ": cannot be read"},
        {{"--plugin", dir / "Missing.so", "-"}, dir / "Missing.so" + ": no such plug-in file"},
        {{"--plugin", Bin("HostTestNoEntry.so"), "-"}, Bin("HostTestNoEntry.so") + ": has no GetPlugIn entry point"},
        {{"--plugin", dir / "Broken.so", "--list-plugins"}, dir / "Broken.json" + ": /bosses: must be an array, not 7"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--clock", "sundial", "-"}, "sundial"},
    };
    for (const Case& c : cases) {
        tstest::Finished r = Host(dir, c.args, "echo not reached\n");
        EXPECT_EQ(r.status, 2) << c.expected;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.expected;
    }
}

TEST(ConsoleTest, PlugInsAreListedAndTheirIdleTasksRunAndAlertsTakeScriptedAnswers) {
    tstest::TempDir dir;
    tstest::Finished r = Host(dir, {"--plugin", Bin("HostTestPlugin.so"), "--list-plugins"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "plugin 0x7f500 HostTestPlugin " + Bin("HostTestPlugin.so") + "\n  0x7f501 plain\n  0x7f502 plain\n");
    r = Host(dir, {"--plugin", Bin("HostTestPlugin.so"), "-"},
                    "# ticks\nclock set 2007-03-05 10:00:00\n\n  idle 1100ms\napp background\nidle 1s\nalerts answer 2\n"
                    "clock\necho \"say \\\"hi\\\" \\\\ok\" plain\nquit\nnew\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "clock: 2007-03-05 10:00:00 (virtual)\n"
                     "[warning] Tick 1\n"
                     "[warning] Tick 2\n"
                     "application in the background\n"
                     "[warning] Tick 3 (background)\n"
                     "clock: 2007-03-05 10:00:02 (virtual)\n"
                     "say \"hi\" \\ok plain\n"
                     "[alert] Goodbye? [OK] [Cancel] -> Cancel\n");
}

// The console confirms a change of the workspace once the workspace file holds it: killed
// right after a confirmation, while the disk is slow to flush, the next run finds every
// change confirmed so far.
TEST(ConsoleTest, AWorkspaceChangeIsOnDiskOnceTheConsoleConfirmsIt) {
    const struct Step {
        std::string line, confirmation;
    } steps[] = {
        {"preset-add Alpha", "added PDF preset Alpha"},
        {"preset-add Beta spreads", "added PDF preset Beta (spreads)"},
        {"preset-remove Alpha", "removed PDF preset Alpha"},
    };
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        SCOPED_TRACE("killed after step " + std::to_string(k + 1));
        tstest::TempDir dir;
        {
            tstest::Process host(tstest::HostArgs(dir / "home", {"--plugin", Bin("SlowDisk.so"), "-"}));
            ASSERT_TRUE(host.Running());
            for (std::size_t i = 0; i <= k; ++i) {
                host.Send(steps[i].line + "\n");
                ASSERT_TRUE(host.Read(steps[i].confirmation)) << host.Out() << host.Err();
            }
            host.Stop();
        }
        tstest::Finished next = Host(dir, {"--no-default-plugin", "-"}, "presets\n");
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_EQ(next.err, "");
        EXPECT_EQ(next.out.find("  Alpha\n") != std::string::npos, k < 2) << next.out;
        EXPECT_NE(next.out.find("  Beta (spreads)\n") != std::string::npos, k < 1) << next.out;
    }
}

// Two runs on one workspace and one document: the second is told that the first has them,
// confirms its own workspace changes as not saved, opens the document read-only and is
// refused its save; everything the first confirmed is kept.
TEST(ConsoleTest, TwoRunsOnOneWorkspaceAndDocumentNeverLoseWhatEitherConfirmed) {
    tstest::TempDir dir;
    const std::string document = dir / "D.indd";
    ASSERT_EQ(Host(dir, {"--no-default-plugin", "-"}, "new 2\nsave-as " + document + "\n").status, 0);
    tstest::Process first(tstest::HostArgs(dir / "home", {"--no-default-plugin", "-"}));
    first.Send("open " + document + "\n");
    ASSERT_TRUE(first.Read("opened D.indd")) << first.Err();
    tstest::Process second(tstest::HostArgs(dir / "home", {"--no-default-plugin", "-"}));
    second.Send("open " + document + "\n");
    ASSERT_TRUE(second.Read("opened D.indd")) << second.Err();
    for (int i = 1; i <= 20; ++i) {
        first.Send("preset-add P" + std::to_string(i) + "\n");
        second.Send("preset-add Q" + std::to_string(i) + "\n");
    }
    first.Send("save\n");
    ASSERT_TRUE(first.Read("saved D.indd")) << first.Err();
    second.Send("save\n");
    EXPECT_EQ(first.Finish(), 0) << first.Err();
    EXPECT_EQ(second.Finish(), 1) << second.Err();
    EXPECT_EQ(first.Err(), "");
    EXPECT_NE(second.Err().find(dir / "home/.tessaron-host/workspace.db: another run of the host is using it"), std::string::npos)
        << second.Err();
    EXPECT_NE(second.Err().find(document + ": another run of the host has it open, so it is opened read-only"), std::string::npos)
        << second.Err();
    EXPECT_NE(second.Err().find("save: " + document + ": cannot be saved: another run of the host has it open"), std::string::npos)
        << second.Err();
    EXPECT_NE(second.Out().find("added PDF preset Q20 (for this run only: its workspace is not saved)"), std::string::npos)
        << second.Out();

    tstest::Finished next = Host(dir, {"--no-default-plugin", "-"}, "presets\nopen " + document + "\nsave\n");
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.err, "");
    for (int i = 1; i <= 20; ++i) EXPECT_NE(next.out.find("  P" + std::to_string(i) + "\n"), std::string::npos) << i << next.out;
    EXPECT_EQ(next.out.find("  Q"), std::string::npos) << next.out;
}

// SIGTERM, SIGINT and SIGHUP quit the host as the end of a script does, whatever it is doing:
// an export under way stops and leaves nothing in the folder, not even its hidden temporary
// file, and neither does one cut short by a second signal; idle time ends; the rest of the
// script does not run; the workspace is saved; and the host ends by the signal.
TEST(ConsoleTest, ASignalQuitsTheHostWhateverItIsDoing) {
    tstest::TempDir dir;
    const std::string folder = dir / "export";
    const std::string exportBig = "new 9999\nexport " + folder + "/big.pdf\n";
    const std::string stopped = folder + "/big.pdf: not written: the host was asked to quit";
    const struct Case {
        int signal;
        std::vector<std::string> args;
        std::string script, busy, said;  // signalled once the output shows `busy`
        int then = 0;  // a second signal, which ends the host at once, and by itself
    } cases[] = {
        {SIGTERM, {}, exportBig, "Exporting PDF", stopped},
        {SIGINT, {}, exportBig, "Exporting PDF", stopped},
        {SIGHUP, {}, exportBig, "Exporting PDF", stopped},
        {SIGTERM, {}, exportBig, "Exporting PDF", "", SIGINT},
        {SIGTERM, {"--clock", "real"}, "echo idling\nidle 120s\n", "idling", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script + " signal " + std::to_string(c.signal) + " then " + std::to_string(c.then));
        std::filesystem::remove_all(dir / "home");
        std::filesystem::create_directory(folder);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--no-default-plugin", "-"});
        tstest::Process host(tstest::HostArgs(dir / "home", args));
        ASSERT_TRUE(host.Running());
        host.Send(c.script + "echo not reached\n");
        EXPECT_TRUE(host.Read(c.busy)) << host.Out();
        // An export is signalled once its file is being written.
        for (int i = 0; i < 1000 && c.busy == "Exporting PDF" && std::filesystem::is_empty(folder); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto signalled = std::chrono::steady_clock::now();
        // Two of the same kind sent at once would arrive as one. The host ends by the signal
        // taken second, either, as two kinds pending at once are taken lower number first.
        if (c.then != 0) ::kill(host.Pid(), c.signal);
        const int status = host.Stop(c.then != 0 ? c.then : c.signal);
        EXPECT_TRUE(status == 128 + c.signal || (c.then != 0 && status == 128 + c.then)) << status << host.Err();
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(30));
        EXPECT_TRUE(std::filesystem::is_empty(folder));
        EXPECT_NE(host.Err().find(c.said), std::string::npos) << host.Err();
        EXPECT_EQ(host.Out().find("not reached"), std::string::npos);
        // A host ended at once saves nothing more.
        if (c.then == 0) {
            EXPECT_TRUE(std::filesystem::exists(dir / "home/.tessaron-host/workspace.db"));
        }
    }
}

}  // namespace
