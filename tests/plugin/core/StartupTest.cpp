// Start-up and shut-down as the host runs them: the pruning of sent-document links, a missing
// idle task ending start-up, and the idle tasks and cached project list gone at shut-down.
#include <gtest/gtest.h>

#include <filesystem>

#include "BossClasses.h"
#include "CmdUtils.h"
#include "FileUtils.h"
#include "ITSDocPathPrjIdData.h"
#include "IdleScheduler.h"
#include "InterfacePtr.h"
#include "PluginHostFixture.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "UndoHistory.h"

namespace {

using StartupTest = PluginHostFixture;

PMString HostPath(const std::string& posix) {
    return PMString(FileUtils::FromPosixPath(posix).GetPath(), PMString::kNoTranslate);
}

std::vector<ITSDocPathPrjIdData::DataConatiner> Links() {
    return WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID)->GetDocPathPrjIDContainer();
}

void SetLinks(const std::vector<ITSDocPathPrjIdData::DataConatiner>& links) {
    WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID)->SetDocPathPrjIDContainer(links);
}

TEST_F(StartupTest, PruningDropsGoneFilesAndMergesDuplicates) {
    std::string kept = fHome + "/Kept.indd";
    tstest::WriteFile(kept, "x");
    SetLinks({{HostPath(fHome + "/Gone.indd"), 1}, {HostPath(kept), 2}, {HostPath(kept), 2}, {HostPath(kept), 3}});
    Restart();
    // The prune is not the user's to undo: undo must not bring the gone file back.
    EXPECT_FALSE(tshost::UndoHistory::Get().Undo());
    auto links = Links();
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].prjID, 2);
    EXPECT_EQ(links[1].prjID, 3);
}

TEST_F(StartupTest, AnEmptyStoreStillRunsThePruningCommand) {
    // Nothing else of a start-up in a fresh home changes the workspace: the command's end
    // saved it, and housekeeping left no step to undo.
    EXPECT_TRUE(std::filesystem::exists(fHost->WorkspacePath()));
    EXPECT_FALSE(tshost::UndoHistory::Get().CanUndo());
    EXPECT_TRUE(Links().empty());
}

TEST_F(StartupTest, AMissingIdleTaskEndsStartUpBeforePruning) {
    SetLinks({{HostPath(fHome + "/Gone.indd"), 1}});
    Quit();
    Launch([] { tshost::BossClasses::Get().Withhold(kTSStartupShutdownBoss, kTSActiveIdleTaskTrackerInterfaceID); });
    EXPECT_TRUE(tshost::IdleScheduler::Get().Tasks().empty());
    EXPECT_EQ(Links().size(), 1u) << "not pruned";
    tshost::BossClasses::Get().Restore(kTSStartupShutdownBoss, kTSActiveIdleTaskTrackerInterfaceID);
}

TEST_F(StartupTest, ShutDownDeletesTheCachedListAndUninstallsTheTasks) {
    PMString cache;
    TSPanelUtils::GetTSProjectsFilePath(cache);
    tstest::WriteFile(cache.GetUTF8String(), "x");
    Quit();
    EXPECT_FALSE(std::filesystem::exists(cache.GetUTF8String()));
    EXPECT_TRUE(tshost::IdleScheduler::Get().Tasks().empty());
    // No cache at all: shut-down still uninstalls everything.
    Launch();
    EXPECT_EQ(tshost::IdleScheduler::Get().Tasks().size(), 3u);
    Quit();
    EXPECT_TRUE(tshost::IdleScheduler::Get().Tasks().empty());
}

}  // namespace
