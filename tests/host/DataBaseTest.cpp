// Databases: saved data reads back after reopening, a save writes only what changed, damaged
// files give a clear error, empty data stays empty, and the workspace file is private.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "BossClasses.h"
#include "DataBase.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "FileUtils.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "TestData.h"

namespace {

constexpr ImplementationID kDataImpl{0x7f201};
constexpr ImplementationID kOtherImpl{0x7f202};
constexpr ImplementationID kEmptyImpl{0x7f203};
constexpr PMIID kOtherIID{0x7f203};

// Runs SQL on a database file directly, as another program would.
std::string Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK)
        sqlite3_exec(db, sql.c_str(), [](void* out, int n, char** values, char**) {
            for (int i = 0; i < n; ++i) *static_cast<std::string*>(out) += std::string(values[i] ? values[i] : "NULL") + ";";
            return 0;
        }, &result, nullptr);
    sqlite3_close(db);
    return result;
}

class DataBaseTest : public ::testing::Test {
protected:
    void SetUp() override { Boot(); }

    // A new host, as a new run of the program would have.
    void Boot() {
        host.reset();
        host = std::make_unique<tshost::Host>();
        std::string error;
        ASSERT_TRUE(host->Boot(error)) << error;
        auto& impls = tshost::ImplRegistry::Get();
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::TestData>(kDataImpl, true)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::TestData>(kOtherImpl, true)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::EmptyData>(kEmptyImpl, true)), kSuccess);
        auto& classes = tshost::BossClasses::Get();
        classes.AddIn(tshost::kWorkspaceBoss, IID_OF<tstest::ITestData>(), kDataImpl);
        classes.AddIn(tshost::kWorkspaceBoss, kOtherIID, kOtherImpl);
        classes.AddIn(tshost::kWorkspaceBoss, IID_OF<tstest::EmptyData>(), kEmptyImpl);
    }

    static InterfacePtr<tstest::ITestData> Data(tshost::DataBase* db, PMIID iid = IID_OF<tstest::ITestData>()) {
        return InterfacePtr<tstest::ITestData>(db, db->GetRootUID(), iid);
    }

    tstest::Capture capture;
    tstest::TempDir dir;
    std::unique_ptr<tshost::Host> host;
};

TEST_F(DataBaseTest, SavedDataReadsBackAfterReopening) {
    const std::string path = dir / "w.db";
    {
        auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
        EXPECT_FALSE(db->IsModified());
        Data(db.get())->SetValue(42);
        Data(db.get())->SetText(PMString("hello"));
        EXPECT_TRUE(db->IsModified());
        std::string error;
        ASSERT_EQ(db->SaveAs(path, error), kSuccess) << error;
        EXPECT_FALSE(db->IsModified());
        IDFile file;
        ASSERT_TRUE(db->GetSysFile(file));
        EXPECT_EQ(FileUtils::GetPosixPath(file), path);
    }
    std::string error;
    auto db = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(Data(db.get())->GetValue(), 42);
    EXPECT_EQ(Data(db.get())->GetText().GetUTF8String(), "hello");
    EXPECT_FALSE(db->IsModified()) << "reading must not count as a change";
}

TEST_F(DataBaseTest, ASaveWritesOnlyTheChangedImplementations) {
    const std::string path = dir / "w.db";
    std::string error;
    auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
    Data(db.get())->SetValue(1);
    Data(db.get(), kOtherIID)->SetValue(2);
    ASSERT_EQ(db->SaveAs(path, error), kSuccess) << error;
    // Another writer replaces the second implementation's row; a save that does not touch it
    // must leave that row alone.
    std::string marker = Sql(path, "SELECT hex(bytes) FROM data WHERE impl = " + std::to_string(kOtherImpl.Get()));
    Sql(path, "UPDATE data SET bytes = x'0700000000000000' WHERE impl = " + std::to_string(kOtherImpl.Get()));
    Data(db.get())->SetValue(10);
    ASSERT_EQ(db->Save(error), kSuccess) << error;
    db.reset();
    auto reopened = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(Data(reopened.get())->GetValue(), 10);
    EXPECT_EQ(Data(reopened.get(), kOtherIID)->GetValue(), 7);
    EXPECT_FALSE(marker.empty());
}

TEST_F(DataBaseTest, DamagedFilesGiveAClearError) {
    const std::string good = dir / "good.db";
    {
        auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
        Data(db.get())->SetValue(3);
        std::string error;
        ASSERT_EQ(db->SaveAs(good, error), kSuccess) << error;
    }
    const std::string bytes = tstest::ReadFile(good);
    struct Case { const char* name; std::string content; };
    const Case cases[] = {
        {"text", "this is not a database\n"},
        {"empty", ""},
        {"truncated", bytes.substr(0, bytes.size() / 3)},
        {"header only", bytes.substr(0, 100)},
    };
    for (const Case& c : cases) {
        const std::string path = dir / (std::string(c.name) + ".db");
        tstest::WriteFile(path, c.content);
        std::string error;
        auto db = tshost::DataBase::Open(path, error);
        EXPECT_FALSE(db) << c.name;
        EXPECT_NE(error.find(path), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(tstest::ReadFile(path), c.content) << c.name << ": a failed open changed the file";
    }
    std::string error;
    EXPECT_FALSE(tshost::DataBase::Open(dir / "missing.db", error));
    EXPECT_NE(error.find("missing.db"), std::string::npos);
}

TEST_F(DataBaseTest, DamagedBytesOfOneImplementationFallBackToDefaults) {
    const std::string path = dir / "w.db";
    std::string error;
    {
        auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
        Data(db.get())->SetValue(5);
        ASSERT_EQ(db->SaveAs(path, error), kSuccess) << error;
    }
    Sql(path, "UPDATE data SET bytes = x'0500' WHERE impl = " + std::to_string(kDataImpl.Get()));
    auto db = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(Data(db.get())->GetValue(), -1);
}

TEST_F(DataBaseTest, EmptyDataStaysAnEmptyBlob) {
    const std::string path = dir / "w.db";
    std::string error;
    {
        auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
        InterfacePtr<IPMUnknown> empty(db.get(), db->GetRootUID(), IID_OF<tstest::EmptyData>());
        ASSERT_TRUE(empty);
        static_cast<tstest::EmptyData*>(empty.get())->Touch();
        ASSERT_EQ(db->SaveAs(path, error), kSuccess) << error;
    }
    EXPECT_EQ(Sql(path, "SELECT typeof(bytes), length(bytes) FROM data WHERE impl = " + std::to_string(kEmptyImpl.Get())), "blob;0;");
    auto db = tshost::DataBase::Open(path, error);
    ASSERT_TRUE(db) << error;
    EXPECT_TRUE(InterfacePtr<IPMUnknown>(db.get(), db->GetRootUID(), IID_OF<tstest::EmptyData>()));
    EXPECT_TRUE(capture.diagnosed.empty()) << "an empty blob read as damage";
}

TEST_F(DataBaseTest, TheWorkspaceIsKeptAcrossRunsInAPrivateFile) {
    host->Start(dir.Path());
    const std::string path = dir / ".tessaron-host/workspace.db";
    EXPECT_EQ(host->WorkspacePath(), path);
    {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->SetValue(99);
    }
    std::string error;
    ASSERT_TRUE(host->Quit(error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A file someone made readable is made private again at the next save.
    ::chmod(path.c_str(), 0644);
    Boot();
    host->Start(dir.Path());
    {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        EXPECT_EQ(InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->GetValue(), 99);
    }
    ASSERT_TRUE(host->Quit(error)) << error;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DataBaseTest, ADamagedWorkspaceIsKeptAsideAndANewOneUsed) {
    const std::string folder = dir / ".tessaron-host";
    std::filesystem::create_directories(folder);
    tstest::WriteFile(folder + "/workspace.db", "garbage one");
    tstest::WriteFile(folder + "/workspace.db.corrupt", "older garbage");
    host->Start(dir.Path());
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find(folder + "/workspace.db"), std::string::npos) << capture.diagnosed[0];
    EXPECT_NE(capture.diagnosed[0].find("workspace.db.corrupt.1"), std::string::npos) << capture.diagnosed[0];
    EXPECT_EQ(tstest::ReadFile(folder + "/workspace.db.corrupt"), "older garbage");
    EXPECT_EQ(tstest::ReadFile(folder + "/workspace.db.corrupt.1"), "garbage one");
    {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        ASSERT_TRUE(workspace);
        InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->SetValue(8);
    }
    std::string error;
    ASSERT_TRUE(host->Quit(error)) << error;
    auto saved = tshost::DataBase::Open(folder + "/workspace.db", error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(Data(saved.get())->GetValue(), 8);
}

}  // namespace
