// kill -9 of tessaron-host at any point of a run that confirms Preferences and saves
// documents: the next run finds everything that was confirmed before the kill (the settings
// the page took, the documents saved, the usage log written at a close), and every file it
// finds opens; nothing is moved aside as damaged.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ConnectionTestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// tessaron-host reading its script from a pipe, its output read as it comes.
class HostProcess {
public:
    explicit HostProcess(const std::string& home) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        const char* bin = std::getenv("TS_BIN");
        std::vector<std::string> args{std::string(bin ? bin : TS_BIN_DIR) + "/tessaron-host", "--home", home, "-"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&fPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) fPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        fIn = in[1];
        fOut = out[0];
    }
    ~HostProcess() {
        Kill();
        if (fIn >= 0) ::close(fIn);
        if (fOut >= 0) ::close(fOut);
    }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool Running() const { return fPid > 0; }
    void Send(const std::string& lines) {
        if (fIn >= 0 && ::write(fIn, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) {
            ::close(fIn);
            fIn = -1;
        }
    }
    // Reads until the output holds `text` (empty: until it ends); false after 30 s.
    bool Read(const std::string& text) {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        char buffer[4096];
        while (text.empty() || fOutput.find(text) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd pfd{fOut, POLLIN, 0};
            if (left <= 0 || ::poll(&pfd, 1, static_cast<int>(left)) <= 0) return false;
            ssize_t got = ::read(fOut, buffer, sizeof buffer);
            if (got <= 0) return text.empty();
            fOutput.append(buffer, static_cast<size_t>(got));
        }
        return true;
    }
    // Ends the script and waits for the host to quit; its exit code.
    int Finish() {
        ::close(fIn);
        fIn = -1;
        Read("");
        int status = 0;
        ::waitpid(fPid, &status, 0);
        fPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Kill() {
        if (fPid <= 0) return;
        ::kill(fPid, SIGKILL);
        ::waitpid(fPid, nullptr, 0);
        fPid = -1;
    }
    const std::string& Output() const { return fOutput; }

private:
    pid_t fPid = -1;
    int fIn = -1, fOut = -1;
    std::string fOutput;
};

struct Step {
    std::string script;
    // What a later run must find once the step was confirmed.
    std::vector<std::string> found;
};

class KillTest : public ::testing::Test {
protected:
    // The steps of the run in a home; each is confirmed when the host has shown its marker.
    std::vector<Step> Steps(const std::string& home) const {
        const std::string url = fServer.Url();
        return {
            {"prefs open 0x61023\nset-text 0x61026 demo\nset-text 0x61027 demo\nset-text 0x61028 " + url + "\ndialog ok\n",
             {"edit-box 0x61026 \"User name\" text=\"demo\"", "text=\"" + url + "\""}},
            {"new 2\nsave-as " + home + "/A.indd\n", {"opened A.indd"}},
            {"prefs open 0x61023\nchoose 0x6102d\nset-text 0x61030 Macintosh HD:proofs\ndialog ok\n",
             {"radio 0x6102d \"Folder\" on", "edit-box 0x61030 text=\"Macintosh HD:proofs\""}},
            // Closing a saved document writes its usage log into it and saves it again.
            {"close A.indd\n", {"<doc_close>"}},
            {"new 3\nsave-as " + home + "/B.indd\n", {"opened B.indd"}},
        };
    }

    // What a new run finds in `home`: the Preferences page as drawn, and each document that
    // is there, opened, with its metadata.
    static std::string NextRun(const std::string& home) {
        std::string script = "prefs open 0x61023\ndialog render\ndialog cancel\n";
        for (const char* name : {"A.indd", "B.indd"})
            if (fs::exists(home + "/" + name)) script += "open " + home + "/" + name + "\nmetadata\nclose\n";
        HostProcess host(home);
        host.Send(script);
        EXPECT_EQ(host.Finish(), 0) << host.Output();
        return host.Output();
    }

    tsconntest::Proofd fServer;
};

// The host is killed right after step k was confirmed, and while step k runs (after a delay
// that grows with k, so the kills fall at different points of the work).
TEST_F(KillTest, NothingConfirmedBeforeAKillIsLost) {
    ASSERT_TRUE(fServer.Running());
    for (int k = 0; k < 5; ++k) {
        for (bool waitForConfirmation : {true, false}) {
            SCOPED_TRACE("killed " + std::string(waitForConfirmation ? "after" : "during") + " step " + std::to_string(k + 1));
            char pattern[] = "/tmp/tessaron-kill-XXXXXX";
            ASSERT_NE(::mkdtemp(pattern), nullptr);
            const std::string home = pattern;
            const std::vector<Step> steps = Steps(home);
            {
                HostProcess host(home);
                ASSERT_TRUE(host.Running());
                for (int i = 0; i <= k; ++i) {
                    const std::string marker = "confirmed " + std::to_string(i + 1);
                    host.Send(steps[i].script + "echo " + marker + "\n");
                    if (i == k && !waitForConfirmation) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(3 * k));
                        break;
                    }
                    ASSERT_TRUE(host.Read(marker)) << host.Output();
                }
                host.Kill();
            }
            const std::string found = NextRun(home);
            const int confirmed = waitForConfirmation ? k + 1 : k;
            for (int i = 0; i < confirmed; ++i)
                for (const std::string& line : steps[i].found) EXPECT_NE(found.find(line), std::string::npos) << line << "\nin:\n" << found;
            for (const char* damage : {"not a readable", "corrupt", "cannot"})
                EXPECT_EQ(found.find(damage), std::string::npos) << found;
            std::error_code ec;
            fs::remove_all(home, ec);
        }
    }
}

}  // namespace
