// Commands and undo: a processed command that changed a document or the workspace is one
// undoable step; undo and redo restore either side and leave the database modified, so the
// restored bytes are saved (the workspace's at once, which shows it for both); failing commands report their error and
// skip DoNotify; commands that change nothing, and housekeeping, leave no step.
#include <gtest/gtest.h>

#include "BossClasses.h"
#include "CmdUtils.h"
#include "Command.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "TestData.h"
#include "UndoHistory.h"

namespace {

using tstest::kSetValueCmdBoss;
constexpr ImplementationID kTouchCmdImpl{0x7f304};
constexpr ClassID kTouchCmdBoss{0x7f301};

// Dirties its target's data without changing a byte, as housekeeping that rewrites a list
// with the same entries does.
class TouchCmd : public Command {
public:
    explicit TouchCmd(IPMUnknown* boss) : Command(boss) {}

protected:
    void Do() override {
        InterfacePtr<IPMUnknown> target = tstest::TargetOf(this, IID_OF<tstest::EmptyData>());
        static_cast<tstest::EmptyData*>(target.get())->Touch();
    }
};

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Boot(error)) << error;
        ASSERT_TRUE(tstest::InstallTestData());
        ASSERT_EQ(tshost::ImplRegistry::Get().Register(tshost::HostImplementation<TouchCmd>(kTouchCmdImpl)), kSuccess);
        ASSERT_EQ(tshost::BossClasses::Get().Define({kTouchCmdBoss, tshost::kCommandBoss, "kTouchCmdBoss", {{IID_OF<ICommand>(), kTouchCmdImpl}}}),
                  kSuccess);
        host.Start(home.Path());
        document = host.Docs().New(1, error);
        ASSERT_TRUE(document) << error;
        tstest::SetValueCmd::Notified() = 0;
    }

    // On the document, or with `onDocument` false on the workspace.
    ErrorCode Process(int32 value, bool onDocument = true) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kSetValueCmdBoss));
        EXPECT_TRUE(command);
        InterfacePtr<tstest::ITestData>(command.get(), IID_OF<tstest::ITestData>())->SetValue(value);
        if (onDocument) command->SetItemList(UIDList(::GetUIDRef(document)));
        return CmdUtils::ProcessCommand(command.get());
    }
    ErrorCode Touch(bool onDocument) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTouchCmdBoss));
        if (onDocument) command->SetItemList(UIDList(::GetUIDRef(document)));
        return CmdUtils::ProcessCommand(command.get());
    }

    int32 DocumentValue() { return InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->GetValue(); }
    int32 WorkspaceValue() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->GetValue();
    }
    tshost::DataBase* DocumentDataBase() { return tshost::Documents::DataBaseOf(document); }
    // The value as the workspace's file holds it.
    int32 SavedWorkspaceValue() {
        std::string error;
        auto db = tshost::DataBase::Open(host.WorkspacePath(), error);
        EXPECT_TRUE(db) << error;
        return db ? InterfacePtr<tstest::ITestData>(db.get(), db->GetRootUID(), IID_OF<tstest::ITestData>())->GetValue() : -99;
    }

    tstest::Capture capture;
    tstest::TempDir home;
    tshost::Host host;
    IDocument* document = nullptr;
};

TEST_F(UndoTest, ADocumentCommandCanBeUndoneAndRedoneAndOthersLeaveNoStep) {
    EXPECT_EQ(Process(-5), kInvalidParameterError);
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kInvalidParameterError);
    EXPECT_EQ(tstest::SetValueCmd::Notified(), 0);
    ASSERT_EQ(Process(-1), kSuccess);  // the default value: nothing changes
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    EXPECT_EQ(tstest::SetValueCmd::Notified(), 1);
    tshost::UndoHistory& history = tshost::UndoHistory::Get();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(DocumentDataBase()->IsModified());
    EXPECT_EQ(CmdUtils::CreateCommand(tshost::kCommandBoss), nullptr);  // no ICommand of its own
    EXPECT_EQ(CmdUtils::ProcessCommand(nullptr), kInvalidParameterError);

    ASSERT_EQ(Process(5), kSuccess);
    ASSERT_EQ(Process(6), kSuccess);
    EXPECT_EQ(DocumentValue(), 6);
    EXPECT_TRUE(DocumentDataBase()->IsModified());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(DocumentValue(), 5);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(DocumentValue(), -1);
    EXPECT_FALSE(history.Undo());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(DocumentValue(), 5);
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(DocumentValue(), 6);
    EXPECT_FALSE(history.Redo());

    // A new command after an undo drops what could have been redone.
    ASSERT_TRUE(history.Undo());
    ASSERT_EQ(Process(9), kSuccess);
    EXPECT_FALSE(history.CanRedo());
}

// A command on the workspace is a step like any other, and its undo and redo are in the
// workspace's file at once. Housekeeping changes the workspace without a step and leaves what
// could be redone; a command that dirtied without changing a byte leaves no step.
TEST_F(UndoTest, WorkspaceStepsAreUndoneAndSavedAndHousekeepingAndByteEqualChangesLeaveNone) {
    tshost::UndoHistory& history = tshost::UndoHistory::Get();
    ASSERT_EQ(Process(5), kSuccess);
    ASSERT_EQ(Process(6), kSuccess);
    ASSERT_TRUE(history.Undo());
    {
        tshost::UndoHistory::Housekeeping housekeeping;
        ASSERT_EQ(Process(7, false), kSuccess);
    }
    EXPECT_EQ(WorkspaceValue(), 7);
    EXPECT_EQ(SavedWorkspaceValue(), 7);
    EXPECT_TRUE(history.CanRedo()) << "housekeeping dropped what the user could redo";
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(DocumentValue(), 6);
    EXPECT_EQ(WorkspaceValue(), 7) << "housekeeping was undone or redone";

    ASSERT_EQ(Process(8, false), kSuccess);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(SavedWorkspaceValue(), 8);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(WorkspaceValue(), 7);
    EXPECT_EQ(DocumentValue(), 6);
    EXPECT_FALSE(host.Workspace()->IsModified());
    EXPECT_EQ(SavedWorkspaceValue(), 7);
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(SavedWorkspaceValue(), 8);

    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(DocumentValue(), -1);
    EXPECT_FALSE(history.CanUndo()) << "housekeeping left a step";
    for (bool onDocument : {true, false}) {
        ASSERT_EQ(Touch(onDocument), kSuccess);
        EXPECT_FALSE(history.CanUndo()) << onDocument;
    }
    EXPECT_TRUE(capture.diagnosed.empty()) << capture.diagnosed.front();
}

}  // namespace
