// kill -9 of tessaron-host at any point of a run that confirms Preferences and saves
// documents: the next run finds everything that was confirmed before the kill (the settings
// the page took, the documents saved, the usage log written at a close), and every file it
// finds opens; nothing is moved aside as damaged.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ConnectionTestSupport.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

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
             {"edit-box 0x61026 \"User name\" text=\"demo\"", "edit-box 0x61027 \"Password\" text=\"demo\"",
              "edit-box 0x61028 \"Server URL\" text=\"" + url + "\""}},
            {"new 2\nsave-as " + home + "/A.indd\n", {"opened A.indd"}},
            // A workspace change made outside a command.
            {"preset-add KeepMe\n", {"\n  KeepMe\n"}},
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
        std::string script = "prefs open 0x61023\ndialog render\ndialog cancel\npresets\n";
        for (const char* name : {"A.indd", "B.indd"})
            if (fs::exists(home + "/" + name)) script += "open " + home + "/" + name + "\nmetadata\nclose\n";
        const tstest::Finished run = tstest::Run(tstest::HostArgs(home, {"-"}), script, {.joinErrors = true});
        EXPECT_EQ(run.status, 0) << run.out;
        return run.out;
    }

    tsconntest::Proofd fServer;
};

// The host is killed right after step k was confirmed, and while step k runs (after a delay
// that grows with k, so the kills fall at different points of the work).
TEST_F(KillTest, NothingConfirmedBeforeAKillIsLost) {
    ASSERT_TRUE(fServer.Running());
    for (std::size_t k = 0; k < Steps("").size(); ++k) {
        for (bool waitForConfirmation : {true, false}) {
            SCOPED_TRACE("killed " + std::string(waitForConfirmation ? "after" : "during") + " step " + std::to_string(k + 1));
            tstest::TempDir dir;
            const std::string& home = dir.Path();
            const std::vector<Step> steps = Steps(home);
            {
                tstest::Process host(tstest::HostArgs(home, {"-"}), {.joinErrors = true});
                ASSERT_TRUE(host.Running());
                for (std::size_t i = 0; i <= k; ++i) {
                    const std::string marker = "confirmed " + std::to_string(i + 1);
                    host.Send(steps[i].script + "echo " + marker + "\n");
                    if (i == k && !waitForConfirmation) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(3 * k));
                        break;
                    }
                    ASSERT_TRUE(host.Read(marker)) << host.Out();
                }
                host.Stop();
            }
            const std::string found = NextRun(home);
            const std::size_t confirmed = waitForConfirmation ? k + 1 : k;
            for (std::size_t i = 0; i < confirmed; ++i)
                for (const std::string& line : steps[i].found) EXPECT_NE(found.find(line), std::string::npos) << line << "\nin:\n" << found;
            for (const char* damage : {"not a readable", "corrupt", "cannot"})
                EXPECT_EQ(found.find(damage), std::string::npos) << found;
        }
    }
}

}  // namespace
