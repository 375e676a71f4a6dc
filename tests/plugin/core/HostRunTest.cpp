// The plug-in in a real run of tessaron-host: loaded from its shared object, started (its
// three idle tasks installed in order, with their first delays) and shut down, with every
// file of the run inside --home.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(HostRunTest, ARunKeepsItsSettingsFolderInHomeAndLeavesNoCache) {
    tstest::TempDir home;
    const fs::path settings = fs::path(home.Path()) / ".local/share/Tessaron";
    fs::create_directories(settings);
    tstest::WriteFile(settings / "projects.xml", "<tessaron/>");
    const tstest::Finished run = tstest::Run(tstest::HostArgs(home.Path(), {"-"}), "tasks\nidle 2s\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "TSActiveIdleTaskTracker in 0ms\nTSIdleAppTracker in 0ms\nTessaron upload progress in 100ms\n");
    EXPECT_TRUE(fs::is_directory(settings));
    EXPECT_FALSE(fs::exists(settings / "projects.xml"));
}

}  // namespace
