// The plug-in in a real run of tessaron-host: loaded from its shared object, listed, started
// and shut down, with every file of the run inside --home.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct HostRun {
    int exitCode;
    std::string output;
};

// The test controls every part of the command, so a shell line is safe here.
HostRun RunHost(const std::string& args, const std::string& script = {}) {
    std::string command = std::string(TS_BIN_DIR) + "/tessaron-host " + args + " 2>&1";
    if (!script.empty()) command = "printf '" + script + "' | " + command;
    FILE* pipe = ::popen(command.c_str(), "r");
    HostRun run{-1, {}};
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class HostRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessaron-run-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        fHome = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(fHome, ec);
    }
    std::string fHome;
};

TEST_F(HostRunTest, ListsThe38Implementations) {
    HostRun run = RunHost("--home " + fHome + " --list-plugins");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("plugin 0x61000 Tessaron"), std::string::npos) << run.output;
    int implementations = 0, persistent = 0;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  0x61", 0) != 0) continue;
        ++implementations;
        if (line.find("persistent") != std::string::npos) ++persistent;
    }
    EXPECT_EQ(implementations, 38);
    EXPECT_EQ(persistent, 5);
}

TEST_F(HostRunTest, ARunKeepsItsSettingsFolderInHomeAndLeavesNoCache) {
    fs::path settings = fs::path(fHome) / ".local/share/Tessaron";
    fs::create_directories(settings);
    std::ofstream(settings / "projects.xml") << "<tessaron/>";
    HostRun run = RunHost("--home " + fHome + " -", "tasks\\nidle 2s\\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("TSActiveIdleTaskTracker"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_directory(settings));
    EXPECT_FALSE(fs::exists(settings / "projects.xml"));
    EXPECT_TRUE(fs::exists(fs::path(fHome) / ".tessaron-host/workspace.db"));
}

}  // namespace
