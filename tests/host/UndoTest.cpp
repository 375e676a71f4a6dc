// Commands and undo: a processed command is one undoable step over the persistent data it
// changed; undo and redo restore either side; failing commands report their error and skip
// DoNotify; commands that change nothing leave no step.
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

constexpr ImplementationID kPersistentDataImpl{0x7f301};
constexpr ImplementationID kParameterDataImpl{0x7f302};
constexpr ImplementationID kSetValueCmdImpl{0x7f303};
constexpr ClassID kSetValueCmdBoss{0x7f300};

int gNotified = 0;

// Copies its parameter's value to the workspace's data; a negative value fails.
class SetValueCmd : public Command {
public:
    explicit SetValueCmd(IPMUnknown* boss) : Command(boss) { SetTarget(kSessionWorkspaceTarget); }

protected:
    void Do() override {
        InterfacePtr<tstest::ITestData> parameter(this, IID_OF<tstest::ITestData>());
        if (parameter->GetValue() < -1) {
            ErrorUtils::PMSetGlobalErrorCode(kInvalidParameterError);
            return;
        }
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->SetValue(parameter->GetValue());
    }
    void DoNotify() override { ++gNotified; }
};

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Boot(error)) << error;
        auto& impls = tshost::ImplRegistry::Get();
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::TestData>(kPersistentDataImpl, true)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::TestData>(kParameterDataImpl)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<SetValueCmd>(kSetValueCmdImpl)), kSuccess);
        auto& classes = tshost::BossClasses::Get();
        classes.AddIn(tshost::kWorkspaceBoss, IID_OF<tstest::ITestData>(), kPersistentDataImpl);
        ASSERT_EQ(classes.Define({kSetValueCmdBoss, tshost::kCommandBoss, "kSetValueCmdBoss",
                                  {{IID_OF<ICommand>(), kSetValueCmdImpl}, {IID_OF<tstest::ITestData>(), kParameterDataImpl}}}),
                  kSuccess);
        host.Start(home.Path());
        gNotified = 0;
    }

    ErrorCode Process(int32 value) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kSetValueCmdBoss));
        EXPECT_TRUE(command);
        InterfacePtr<tstest::ITestData>(command.get(), IID_OF<tstest::ITestData>())->SetValue(value);
        return CmdUtils::ProcessCommand(command.get());
    }

    int32 WorkspaceValue() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->GetValue();
    }

    tstest::TempDir home;
    tshost::Host host;
};

TEST_F(UndoTest, AProcessedCommandCanBeUndoneAndRedoneAndOthersLeaveNoStep) {
    EXPECT_EQ(Process(-5), kInvalidParameterError);
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kInvalidParameterError);
    EXPECT_EQ(gNotified, 0);
    ASSERT_EQ(Process(-1), kSuccess);  // the default value: nothing changes
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    EXPECT_EQ(gNotified, 1);
    tshost::UndoHistory& history = tshost::UndoHistory::Get();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(host.Workspace()->IsModified());
    EXPECT_EQ(CmdUtils::CreateCommand(tshost::kCommandBoss), nullptr);  // no ICommand of its own
    EXPECT_EQ(CmdUtils::ProcessCommand(nullptr), kInvalidParameterError);

    ASSERT_EQ(Process(5), kSuccess);
    ASSERT_EQ(Process(6), kSuccess);
    EXPECT_EQ(WorkspaceValue(), 6);
    EXPECT_TRUE(host.Workspace()->IsModified());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(WorkspaceValue(), 5);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(WorkspaceValue(), -1);
    EXPECT_FALSE(history.Undo());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(WorkspaceValue(), 5);
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(WorkspaceValue(), 6);
    EXPECT_FALSE(history.Redo());

    // A new command after an undo drops what could have been redone.
    ASSERT_TRUE(history.Undo());
    ASSERT_EQ(Process(9), kSuccess);
    EXPECT_FALSE(history.CanRedo());
}

}  // namespace
