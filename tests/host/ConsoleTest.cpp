// The console program as a user runs it: scripts, their errors with line numbers and exit
// codes, plug-in loading and listing, alerts and idle time with a real plug-in library.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "HostTestSupport.h"

extern char** environ;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Bin(const std::string& name) {
    const char* bin = std::getenv("TS_BIN");
    return std::string(bin ? bin : ".") + "/" + name;
}

// Runs tessaron-host with `args`, `input` on standard input; no shell involved.
Result Host(const tstest::TempDir& dir, std::vector<std::string> args, const std::string& input = "") {
    tstest::WriteFile(dir / "stdin", input);
    std::vector<std::string> all{Bin("tessaron-host"), "--home", dir / "home"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (dir / "stdin").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Result result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = tstest::ReadFile(dir / "stdout");
    result.err = tstest::ReadFile(dir / "stderr");
    return result;
}

Result Script(const tstest::TempDir& dir, const std::string& script, std::vector<std::string> args = {}) {
    tstest::WriteFile(dir / "s.txt", script);
    args.insert(args.begin(), "--no-default-plugin");
    args.push_back(dir / "s.txt");
    return Host(dir, args);
}

TEST(ConsoleTest, AGoodScriptRunsToItsEnd) {
    tstest::TempDir dir;
    Result r = Host(dir, {"--no-default-plugin", "-"},
                    "# documents\nnew 2\n\n   new\nlist\nsave-as " + dir / "A.indd" + "\nlist\nclose\nquit\nnew\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "new document Untitled-1 (2 pages)\n"
                     "new document Untitled-2 (1 page)\n"
                     "  Untitled-1\n"
                     "* Untitled-2\n"
                     "saved Untitled-2 as " + dir / "A.indd" + "\n"
                     "  Untitled-1\n"
                     "* A.indd " + dir / "A.indd" + "\n"
                     "closed A.indd\n");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "home/.tessaron-host/workspace.db").c_str(), &st), 0) << "the run kept its files in --home";
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ConsoleTest, TheFirstBadLineStopsTheScriptWithItsLineNumber) {
    tstest::TempDir dir;
    Result r = Script(dir, "new\n\nfrob 3\nnew\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(dir / "s.txt" + ":3: unknown command 'frob'"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "new document Untitled-1 (1 page)\n");
}

TEST(ConsoleTest, BadArgumentsAreReportedPerCommand) {
    struct Case { const char* script; int line; const char* expected; };
    const Case cases[] = {
        {"new abc", 1, "new: PAGES must be a number from 1 to 9999, not 'abc'"},
        {"new 0", 1, "new: a new document has 1 to 9999 pages, not 0"},
        {"new 1 2", 1, "new: usage: new [PAGES]"},
        {"idle 5x", 1, "idle: '5x' is no duration"},
        {"idle 25h", 1, "idle: '25h' is no duration"},
        {"idle", 1, "idle: usage: idle DURATION"},
        {"clock set 2007-13-01 00:00:00", 1, "clock: '2007-13-01 00:00:00' is no date and time"},
        {"clock backwards", 1, "clock: usage: clock"},
        {"alerts answer 4", 1, "alerts: the answer is a button number from 1 to 3, not '4'"},
        {"app sideways", 1, "app: usage: app background|foreground"},
        {"close", 1, "close: no document is open"},
        {"new\nsave", 2, "save: Untitled-1 has not been saved yet"},
        {"save-as", 1, "save-as: usage: save-as PATH"},
        {"open /nonexistent/x.indd", 1, "open: /nonexistent/x.indd: no such file"},
        {"new\nfront Nope", 2, "front: no open document named 'Nope'"},
        {"echo \"unterminated", 1, "unterminated quote"},
    };
    for (const Case& c : cases) {
        tstest::TempDir dir;
        Result r = Script(dir, std::string(c.script) + "\necho not reached\n");
        EXPECT_EQ(r.status, 1) << c.script;
        std::string expected = dir / "s.txt" + ":" + std::to_string(c.line) + ": " + c.expected;
        EXPECT_NE(r.err.find(expected), std::string::npos) << c.script << "\n" << r.err;
        EXPECT_EQ(r.out.find("not reached"), std::string::npos) << c.script;
    }
}

TEST(ConsoleTest, BadCommandLinesExitWithTwo) {
    tstest::TempDir dir;
    Result missingScript = Host(dir, {"--no-default-plugin", dir / "none.txt"});
    EXPECT_EQ(missingScript.status, 2);
    EXPECT_NE(missingScript.err.find(dir / "none.txt" + ": cannot be read"), std::string::npos) << missingScript.err;

    Result missingPlugin = Host(dir, {"--plugin", dir / "Missing.so", "-"}, "echo not reached\n");
    EXPECT_EQ(missingPlugin.status, 2);
    EXPECT_NE(missingPlugin.err.find(dir / "Missing.so" + ": no such plug-in file"), std::string::npos) << missingPlugin.err;
    EXPECT_EQ(missingPlugin.out, "");

    Result badOption = Host(dir, {"--frobnicate"});
    EXPECT_EQ(badOption.status, 2);
    Result badClock = Host(dir, {"--clock", "sundial", "-"});
    EXPECT_EQ(badClock.status, 2);
}

TEST(ConsoleTest, PlugInsAreListedWithTheirImplementations) {
    tstest::TempDir dir;
    Result r = Host(dir, {"--plugin", Bin("HostTestPlugin.so"), "--list-plugins"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "plugin 0x7f500 HostTestPlugin " + Bin("HostTestPlugin.so") + "\n  0x7f501 plain\n  0x7f502 plain\n");
}

TEST(ConsoleTest, BrokenPlugInsAreRefusedWithTheFileNamed) {
    tstest::TempDir dir;
    Result noEntry = Host(dir, {"--plugin", Bin("HostTestNoEntry.so"), "-"}, "echo not reached\n");
    EXPECT_EQ(noEntry.status, 2);
    EXPECT_NE(noEntry.err.find(Bin("HostTestNoEntry.so") + ": has no GetPlugIn entry point"), std::string::npos) << noEntry.err;

    std::filesystem::copy_file(Bin("HostTestPlugin.so"), dir / "Broken.so");
    tstest::WriteFile(dir / "Broken.json", "{\"plugin\": {\"id\": \"0x7f500\", \"name\": \"Broken\"},\n \"bosses\": 7}\n");
    Result badJson = Host(dir, {"--plugin", dir / "Broken.so", "--list-plugins"});
    EXPECT_EQ(badJson.status, 2);
    EXPECT_NE(badJson.err.find(dir / "Broken.json" + ": /bosses: must be an array, not 7"), std::string::npos) << badJson.err;
    EXPECT_EQ(badJson.out, "");
}

TEST(ConsoleTest, IdleTimeRunsThePlugInsTasksAndAlertsTakeScriptedAnswers) {
    tstest::TempDir dir;
    Result r = Host(dir, {"--plugin", Bin("HostTestPlugin.so"), "-"},
                    "clock set 2007-03-05 10:00:00\nidle 1100ms\napp background\nidle 1s\nalerts answer 2\nclock\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "clock: 2007-03-05 10:00:00 (virtual)\n"
                     "[warning] Tick 1\n"
                     "[warning] Tick 2\n"
                     "application in the background\n"
                     "[warning] Tick 3 (background)\n"
                     "clock: 2007-03-05 10:00:02 (virtual)\n"
                     "[alert] Goodbye? [OK] [Cancel] -> Cancel\n");
}

}  // namespace
