// The plug-in in a real run of tessaron-host, driven by a console script from
// tests/scenarios: the preferences carry the fixture's user name (stored with the workspace
// when the in-process host quits, on the same home), and the transcript, with each
// document's usage log read back from its file, must equal the expected one.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "UsageFixture.h"

namespace {

using ScriptedRunTest = UsageFixture;

TEST_F(ScriptedRunTest, OpenWorkSwitchBackgroundAndClose) {
    Quit();

    const std::string scenario = std::string(TS_SOURCE_DIR) + "/tests/scenarios/usage_tracking";
    // Every part of the command is the test's own, so a shell line is safe here; standard
    // error joins the transcript, whose expected form has no such lines.
    const std::string command = "cd '" + fHome + "' && '" TS_BIN_DIR "/tessaron-host' --home '" + fHome + "' --echo '" +
                                scenario + ".txt' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string got;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) got.append(buffer, n);
    const int status = ::pclose(pipe);
    got += "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "\n";
    for (std::size_t at = 0; (at = got.find(fHome, at)) != std::string::npos;) got.replace(at, fHome.size(), "$WORK");
    std::ifstream expected(scenario + ".expected");
    EXPECT_EQ(got, std::string(std::istreambuf_iterator<char>(expected), std::istreambuf_iterator<char>()));
}

}  // namespace
