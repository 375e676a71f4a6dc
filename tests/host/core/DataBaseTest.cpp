// Databases: saved data reads back after reopening, a save writes only what changed, damaged
// bytes of one implementation give its defaults, empty data stays empty, and the workspace
// file is private. Damaged files are StoredStateTest's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "DataBase.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "TestData.h"

namespace {

using tstest::kDataImpl, tstest::kEmptyImpl, tstest::kOtherIID, tstest::kOtherImpl;

class DataBaseTest : public ::testing::Test {
protected:
    void SetUp() override { Boot(); }

    // A new host, as a new run of the program would have.
    void Boot() {
        host.reset();
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        ASSERT_TRUE(tstest::InstallTestData());
    }

    static InterfacePtr<tstest::ITestData> Data(tshost::DataBase* db, PMIID iid = IID_OF<tstest::ITestData>()) {
        return InterfacePtr<tstest::ITestData>(db, db->GetRootUID(), iid);
    }
    static InterfacePtr<tstest::ITestData> WorkspaceData() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>());
    }

    tstest::Capture capture;
    tstest::TempDir dir;
    std::string error;
    std::unique_ptr<tshost::Host> host;
};

TEST_F(DataBaseTest, ASaveWritesWhatChangedAndReadsBackAndDamagedBytesGiveDefaults) {
    const std::string path = dir / "w.db";
    auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
    Data(db.get())->SetValue(1);
    Data(db.get(), kOtherIID)->SetValue(2);
    InterfacePtr<IPMUnknown> empty(db.get(), db->GetRootUID(), IID_OF<tstest::EmptyData>());
    ASSERT_TRUE(empty);
    static_cast<tstest::EmptyData*>(empty.get())->Touch();
    ASSERT_EQ(db->SaveAs(path, error), kSuccess) << error;
    EXPECT_FALSE(db->IsModified());
    EXPECT_EQ(tstest::Sql(path, "SELECT typeof(bytes), length(bytes) FROM data WHERE impl = " + std::to_string(kEmptyImpl.Get())),
              "blob;0;");
    // Another writer replaces the second implementation's row; a save that does not touch it
    // must leave that row alone.
    tstest::Sql(path, "UPDATE data SET bytes = x'07000000' WHERE impl = " + std::to_string(kOtherImpl.Get()));
    Data(db.get())->SetValue(42);
    EXPECT_TRUE(db->IsModified());
    ASSERT_EQ(db->Save(error), kSuccess) << error;
    empty.reset();
    db = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(Data(db.get())->GetValue(), 42);
    EXPECT_EQ(Data(db.get(), kOtherIID)->GetValue(), 7);
    EXPECT_TRUE(InterfacePtr<IPMUnknown>(db.get(), db->GetRootUID(), IID_OF<tstest::EmptyData>()));
    EXPECT_TRUE(capture.diagnosed.empty()) << "an empty blob read as damage";
    EXPECT_FALSE(db->IsModified()) << "reading must not count as a change";
    db.reset();

    // Damaged bytes of one implementation give its defaults; the others still read.
    tstest::Sql(path, "UPDATE data SET bytes = x'0500' WHERE impl = " + std::to_string(kDataImpl.Get()));
    db = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(Data(db.get())->GetValue(), -1);
    EXPECT_EQ(Data(db.get(), kOtherIID)->GetValue(), 7);
}

TEST_F(DataBaseTest, ADamagedWorkspaceIsMovedAsideAndTheNewOneKeptPrivateAcrossRuns) {
    const std::string folder = dir / ".tessaron-host";
    const std::string path = folder + "/workspace.db";
    std::filesystem::create_directories(folder);
    tstest::WriteFile(path, "garbage one");
    tstest::WriteFile(path + ".corrupt", "older garbage");
    host->Start(dir.Path());
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find(path), std::string::npos) << capture.diagnosed[0];
    EXPECT_NE(capture.diagnosed[0].find("workspace.db.corrupt.1"), std::string::npos) << capture.diagnosed[0];
    EXPECT_EQ(tstest::ReadFile(path + ".corrupt"), "older garbage");
    EXPECT_EQ(tstest::ReadFile(path + ".corrupt.1"), "garbage one");
    WorkspaceData()->SetValue(8);
    ASSERT_TRUE(host->Quit(error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A file someone made readable is made private again by the next run, which need not save it.
    ::chmod(path.c_str(), 0644);
    Boot();
    host->Start(dir.Path());
    EXPECT_EQ(WorkspaceData()->GetValue(), 8);
    ASSERT_TRUE(host->Quit(error)) << error;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A workspace the host cannot read for lack of permission, on the file or on the folder
// that holds it, is no damage and no missing file: it is reported once with the system's
// reason and left as it is, and the run goes on with default settings that it does not save,
// nor try to. One it can read but not save is reported once however often it is changed.
TEST_F(DataBaseTest, AWorkspaceThatCannotBeReadOrSavedIsReportedOnceAndLeftAlone) {
    const std::string folder = dir / ".tessaron-host", path = folder + "/workspace.db";
    const struct Case {
        const char* name;
        mode_t file, folder;
        bool folderOfAnother;
        std::string said;
        bool quits;
    } cases[] = {
        {"unreadable file", 0, 0700, false, ": cannot be read: Permission denied", true},
        {"folder of another user", 0600, 0700, true, ": cannot be read: Permission denied", true},
        {"folder of another user, open to read", 0600, 0755, true, ": cannot be saved: its folder is read-only", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        Boot();
        host->Start(dir.Path());
        WorkspaceData()->SetValue(8);
        ASSERT_TRUE(host->Quit(error)) << error;
        Boot();
        tstest::GiveToUnprivileged(dir.Path());
        ::chmod(path.c_str(), c.file);
        if (c.folderOfAnother) {
            ASSERT_EQ(::lchown(folder.c_str(), 0, 0), 0);
        }
        ::chmod(folder.c_str(), c.folder);
        const std::string bytes = tstest::ReadFile(path);
        std::string problems = tstest::RunUnprivileged([&] {
            std::string problems;
            capture.diagnosed.clear();
            host->Start(dir.Path());
            for (int32 value : {5, 6}) {
                WorkspaceData()->SetValue(value);
                host->SaveChangedWorkspace();
                host->SaveChangedWorkspace();
            }
            std::string error;
            if (host->Quit(error) != c.quits || !error.empty()) problems += "quit: " + error + "\n";
            if (capture.diagnosed.size() != 1 || capture.diagnosed[0].find(path + c.said) != 0) {
                problems += "not one message saying why:\n";
                for (const std::string& line : capture.diagnosed) problems += line + "\n";
            }
            return problems;
        });
        EXPECT_EQ(problems, "");
        EXPECT_TRUE(tstest::ReadFile(path) == bytes) << "changed";
        EXPECT_FALSE(std::filesystem::exists(path + ".corrupt"));
        Boot();
        host->Start(dir.Path());
        EXPECT_EQ(WorkspaceData()->GetValue(), 8) << "not left as it was";
        host->Quit(error);
    }
}

}  // namespace
