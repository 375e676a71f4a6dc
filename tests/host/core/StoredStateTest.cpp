// Stored state the host cannot trust: every kind of damaged database file, opened as a
// document and found as the workspace, gives one clear message and leaves the host running
// and the file as it was; UIDs never wrap or repeat; a PreDirty the object model cannot honour
// is refused; and an exception in the host's work never crosses an SDK call.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "BossClasses.h"
#include "CmdUtils.h"
#include "Command.h"
#include "DataBase.h"
#include "FileUtils.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "IDocFileUtils.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "TestData.h"
#include "UndoHistory.h"
#include "UtilsBoss.h"
#include "Utf8.h"

namespace {

constexpr ImplementationID kPlainImpl{0x7f502};
constexpr ImplementationID kThrowingCmdImpl{0x7f503};
constexpr ImplementationID kUnmakeableImpl{0x7f505};
constexpr PMIID kPlainIID{0x7f502};
constexpr PMIID kUnmakeableIID{0x7f505};
constexpr ImplementationID kWriterImpl{0x7f506};
constexpr ImplementationID kWriterCmdImpl{0x7f507};
constexpr PMIID kWriterIID{0x7f506};
constexpr ClassID kWriterCmdBoss{0x7f501};
constexpr ClassID kThrowingCmdBoss{0x7f500};

// Changes the workspace's data, then throws as a faulty command would.
class ThrowingCmd : public Command {
public:
    explicit ThrowingCmd(IPMUnknown* boss) : Command(boss) {}

protected:
    void Do() override {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>())->SetValue(99);
        throw std::runtime_error("boom");
    }
    PMString* CreateName() override { return new PMString("ThrowingCmd", PMString::kNoTranslate); }
};

// Persistent data whose writing fails once its budget of writes is spent.
int gWritesLeft = -1;
class FailingWriter : public tstest::TestData {
public:
    explicit FailingWriter(IPMUnknown* boss) : tstest::TestData(boss) {}
    void ReadWrite(IPMStream* stream, ImplementationID impl) {
        if (stream->IsWriting() && gWritesLeft >= 0 && gWritesLeft-- == 0) throw std::runtime_error("cannot be written");
        tstest::TestData::ReadWrite(stream, impl);
    }
};

// Sets the workspace's failing writer to 7.
class WriterCmd : public Command {
public:
    explicit WriterCmd(IPMUnknown* boss) : Command(boss) {}

protected:
    void Do() override {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<tstest::ITestData>(workspace.get(), kWriterIID)->SetValue(7);
    }
    PMString* CreateName() override { return new PMString("WriterCmd", PMString::kNoTranslate); }
};

// An implementation whose making fails.
class Unmakeable : public tstest::TestData {
public:
    explicit Unmakeable(IPMUnknown* boss) : tstest::TestData(boss) { throw std::runtime_error("cannot be made"); }
};

class StoredStateTest : public ::testing::Test {
protected:
    void SetUp() override { Boot(); }

    // A new host, as a new run of the program would have, with test data on the workspace
    // and on documents so that every table of their files has rows.
    void Boot() {
        host.reset();
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        ASSERT_TRUE(tstest::InstallTestData());
        auto& impls = tshost::ImplRegistry::Get();
        ASSERT_EQ(impls.Register(tshost::HostImplementation<tstest::TestData>(kPlainImpl)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<ThrowingCmd>(kThrowingCmdImpl)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<Unmakeable>(kUnmakeableImpl)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<FailingWriter>(kWriterImpl, true)), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<WriterCmd>(kWriterCmdImpl)), kSuccess);
        auto& classes = tshost::BossClasses::Get();
        classes.AddIn(tshost::kWorkspaceBoss, kPlainIID, kPlainImpl);
        classes.AddIn(tshost::kWorkspaceBoss, kUnmakeableIID, kUnmakeableImpl);
        classes.AddIn(tshost::kWorkspaceBoss, kWriterIID, kWriterImpl);
        ASSERT_EQ(classes.Define({kWriterCmdBoss, tshost::kCommandBoss, "kWriterCmdBoss", {{IID_OF<ICommand>(), kWriterCmdImpl}}}),
                  kSuccess);
        ASSERT_EQ(classes.Define({kThrowingCmdBoss, tshost::kCommandBoss, "kThrowingCmdBoss",
                                  {{IID_OF<ICommand>(), kThrowingCmdImpl}, {IID_OF<tstest::ITestData>(), tstest::kParameterImpl}}}),
                  kSuccess);
    }

    static InterfacePtr<tstest::ITestData> WorkspaceData(PMIID iid = IID_OF<tstest::ITestData>()) {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return InterfacePtr<tstest::ITestData>(workspace.get(), iid);
    }

    // A saved document with two pages and test data, closed again.
    std::string GoodDocument() {
        const std::string path = dir / "good.indd";
        IDocument* document = host->Docs().New(2, error);
        EXPECT_TRUE(document) << error;
        InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->SetValue(3);
        EXPECT_TRUE(host->Docs().SaveAs(document, path, error)) << error;
        host->Docs().Close(document);
        return tstest::ReadFile(path);
    }

    std::string WorkspacePath() const { return home.Path() + "/.tessaron-host/workspace.db"; }

    tstest::Capture capture;
    tstest::TempDir dir, home;
    std::string error;
    std::unique_ptr<tshost::Host> host;
};

// How a damaged file must be met. Damage of the file's structure or of its tables is refused;
// a file cut short or with a byte flipped may still be sound where the damage hit nothing in
// use, and then it opens and is saved into a file that opens again; never is it "saved" and
// then unreadable.
enum class Meet { kRefused, kEither, kOpens };

struct Damage {
    Damage(std::string n, std::string s, std::string b = {}, bool d = false, Meet m = Meet::kRefused)
        : name(std::move(n)), sql(std::move(s)), bytes(std::move(b)), documentOnly(d), meet(m) {}
    std::string name;
    std::string sql;  // applied to a good file; empty: `bytes` replace it
    std::string bytes;
    bool documentOnly;
    Meet meet;
};

std::vector<Damage> Damages(const std::string& good) {
    const std::string root = "(SELECT value FROM meta WHERE key = 'root')";
    const std::string oneRow = " WHERE rowid = (SELECT min(rowid) FROM data)";
    const std::string pageList = " WHERE uid = " + root + " AND impl = " + std::to_string(tshost::kPageListImpl.Get());
    // Makes `table` anew as `columns` with the rows it held.
    auto remade = [](const std::string& table, const std::string& columns) {
        return "CREATE TABLE t(" + columns + "); INSERT INTO t SELECT * FROM " + table + "; DROP TABLE " + table +
               "; ALTER TABLE t RENAME TO " + table;
    };
    std::string garbage;
    for (uint32 x = 12345; garbage.size() < 8192;) garbage += static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    std::string writeVersion3 = good;
    writeVersion3[18] = 3;
    std::vector<Damage> damages{
        {"NULL key", "UPDATE meta SET key = NULL WHERE key = 'next'"},
        {"NULL format", "UPDATE meta SET value = NULL WHERE key = 'format'"},
        {"NULL root", "UPDATE meta SET value = NULL WHERE key = 'root'"},
        {"NULL next", "UPDATE meta SET value = NULL WHERE key = 'next'"},
        {"NULL value of another key", "INSERT INTO meta VALUES ('other', NULL)"},
        {"text root", "UPDATE meta SET value = 'one' WHERE key = 'root'"},
        {"number written as text", "UPDATE meta SET value = CAST(value AS TEXT) WHERE key = 'next'"},
        {"real next", "UPDATE meta SET value = 2.5 WHERE key = 'next'"},
        {"format as bytes", "UPDATE meta SET value = CAST(value AS BLOB) WHERE key = 'format'"},
        {"format as a number", "UPDATE meta SET value = 1 WHERE key = 'format'"},
        {"negative root", "UPDATE meta SET value = -1 WHERE key = 'root'"},
        {"root past 32 bits", "UPDATE meta SET value = 4294967296 + " + root + " WHERE key = 'root'"},
        {"next past 32 bits", "UPDATE meta SET value = 4294967296 WHERE key = 'next'"},
        {"next zero", "UPDATE meta SET value = 0 WHERE key = 'next'"},
        {"root names no object", "UPDATE meta SET value = 999 WHERE key = 'root'"},
        {"meta twice", remade("meta", "key, value") + "; INSERT INTO meta VALUES ('root', 1)"},
        {"no meta table", "DROP TABLE meta"},
        {"no objects table", "DROP TABLE objects"},
        {"UID 0xFFFFFFFF", "INSERT INTO objects SELECT 4294967295, class FROM objects WHERE uid = " + root},
        {"UID 0", "INSERT INTO objects SELECT 0, class FROM objects WHERE uid = " + root},
        {"UID past 32 bits", "INSERT INTO objects SELECT 4294967297, class FROM objects WHERE uid = " + root},
        {"text class", "UPDATE objects SET class = 'doc' WHERE uid = " + root},
        {"class 0", "UPDATE objects SET class = 0 WHERE uid = " + root},
        {"class past 32 bits", "UPDATE objects SET class = class + 4294967296 WHERE uid = " + root},
        {"text UID of data", "UPDATE data SET uid = 'x'" + oneRow},
        {"data UID 0xFFFFFFFF", "UPDATE data SET uid = 4294967295" + oneRow},
        {"data of implementation 0", "UPDATE data SET impl = 0" + oneRow},
        {"data as text", "UPDATE data SET bytes = 'abc'" + oneRow},
        {"data as a number", "UPDATE data SET bytes = 7" + oneRow},
        // The file's own definitions: none may run when the host writes, nor be kept.
        {"a trigger", "CREATE TRIGGER t AFTER INSERT ON meta BEGIN DELETE FROM data; END"},
        {"a view", "CREATE VIEW v AS SELECT * FROM data"},
        {"another table", "CREATE TABLE extra(x)"},
        {"a table named in bytes that are not UTF-8", "CREATE TABLE [x\xff\xc3\n\x1b[31m](x)"},
        {"another index", "CREATE INDEX i ON data(bytes)"},
        {"data without its key", remade("data", "uid INTEGER NOT NULL, impl INTEGER NOT NULL, bytes BLOB NOT NULL")},
        {"an extra column", "ALTER TABLE objects ADD COLUMN extra"},
        {"a column's type changed", remade("objects", "uid INTEGER PRIMARY KEY, class BLOB NOT NULL")},
        {"readable but never writable", "", writeVersion3},
        {"write-ahead log", "PRAGMA journal_mode=WAL", "", false, Meet::kOpens},
        {"a row of data dropped", "DELETE FROM data WHERE impl = " + std::to_string(tstest::kDataImpl.Get()), "", false, Meet::kOpens},
        // The good document's pages are objects 2 and 3.
        {"page list cut", "UPDATE data SET bytes = substr(bytes, 1, 6)" + pageList, "", true},
        {"no pages", "UPDATE data SET bytes = x'00000000'" + pageList, "", true},
        {"page list naming no object", "UPDATE data SET bytes = x'0100000063000000'" + pageList, "", true},
        {"page list naming the document", "UPDATE data SET bytes = x'01000000' || x'01000000'" + pageList, "", true},
        {"a page twice", "UPDATE data SET bytes = x'020000000200000002000000'" + pageList, "", true},
        {"no page list", "DELETE FROM data" + pageList, "", true},
        {"garbage", "", garbage},
        {"header then garbage", "", good.substr(0, 100) + garbage},
    };
    // The file cut at every 512 bytes, and a byte flipped in each page: the first of its
    // b-tree header, one in its middle and its last.
    for (std::size_t size = 0; size < good.size(); size += 512)
        damages.push_back({"cut to " + std::to_string(size), "", good.substr(0, size), false, size ? Meet::kEither : Meet::kRefused});
    for (std::size_t page = 0; page < good.size(); page += 4096)
        for (std::size_t at : {page ? page : 100, page + 2048, page + 4095}) {
            std::string flipped = good;
            flipped[at] = static_cast<char>(flipped[at] ^ 0x5a);
            damages.push_back({"byte " + std::to_string(at) + " flipped", "", flipped, false, Meet::kEither});
        }
    return damages;
}

// Builds the damaged file at `path`; false when the damage could not be applied.
bool MakeDamaged(const Damage& damage, const std::string& good, const std::string& path) {
    tstest::WriteFile(path, damage.sql.empty() ? damage.bytes : good);
    return damage.sql.empty() || tstest::Sql(path, damage.sql).rfind("error: ", 0) != 0;
}

// A refusal is one line of valid UTF-8 that names the file and quotes none of the host's SQL.
void ExpectOneLine(const std::string& message) {
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_TRUE(tshost::IsUtf8(message)) << message;
    EXPECT_EQ(message.find("\x1b"), std::string::npos) << message;
    EXPECT_EQ(message.find("CREATE"), std::string::npos) << message;
}

// The test data a file holds; -99 when it cannot be opened.
int32 SavedValue(const std::string& path) {
    std::string error;
    auto db = tshost::DataBase::Open(path, error);
    EXPECT_TRUE(db) << "saved, then unreadable: " << error;
    return db ? InterfacePtr<tstest::ITestData>(db.get(), db->GetRootUID(), IID_OF<tstest::ITestData>())->GetValue() : -99;
}

TEST_F(StoredStateTest, EachDamagedDocumentIsRefusedWithOneMessageAndLeftAsItWasOrSavedSound) {
    host->Start(home.Path());
    const std::string good = GoodDocument();
    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
    ASSERT_TRUE(files);
    for (const Damage& damage : Damages(good)) {
        SCOPED_TRACE(damage.name);
        const std::string path = dir / (damage.name + ".indd");
        ASSERT_TRUE(MakeDamaged(damage, good, path));
        const std::string bytes = tstest::ReadFile(path);
        capture.diagnosed.clear();
        UIDRef ref(nullptr, UID(5));
        if (files->OpenDoc(ref, FileUtils::FromPosixPath(path), IDocFileUtils::kOpenDefault, IDocFileUtils::kSuppressUI,
                           kFalse, kTrue, 0) == kSuccess) {
            EXPECT_NE(damage.meet, Meet::kRefused) << "opened";
            IDocument* document = host->Docs().Front();
            InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->SetValue(4);
            EXPECT_TRUE(host->Docs().Save(document, error)) << error;
            host->Docs().Close(document);
            EXPECT_EQ(SavedValue(path), 4);
            continue;
        }
        EXPECT_NE(damage.meet, Meet::kOpens) << "refused: " << (capture.diagnosed.empty() ? "" : capture.diagnosed[0]);
        EXPECT_EQ(ref, UIDRef::gNull);
        EXPECT_EQ(host->Docs().Count(), 0);
        ASSERT_EQ(capture.diagnosed.size(), 1u);
        EXPECT_NE(capture.diagnosed[0].find(path + ": not a"), std::string::npos) << capture.diagnosed[0];
        ExpectOneLine(capture.diagnosed[0]);
        EXPECT_EQ(tstest::ReadFile(path), bytes) << "a refused file was changed";
    }
    // The host runs on: the good file still opens.
    EXPECT_TRUE(host->Docs().Open(dir / "good.indd", error)) << error;
}

TEST_F(StoredStateTest, EachDamagedWorkspaceIsMovedAsideWithOneMessageAndReplacedOrSavedSound) {
    host->Start(home.Path());
    WorkspaceData()->SetValue(8);
    ASSERT_TRUE(host->Quit(error)) << error;
    const std::string good = tstest::ReadFile(WorkspacePath());
    for (const Damage& damage : Damages(good)) {
        if (damage.documentOnly) continue;
        SCOPED_TRACE(damage.name);
        std::filesystem::remove_all(home.Path() + "/.tessaron-host");
        std::filesystem::create_directories(home.Path() + "/.tessaron-host");
        ASSERT_TRUE(MakeDamaged(damage, good, WorkspacePath()));
        const std::string bytes = tstest::ReadFile(WorkspacePath());
        Boot();
        capture.diagnosed.clear();
        host->Start(home.Path());
        ASSERT_TRUE(WorkspaceData());
        if (std::filesystem::exists(WorkspacePath() + ".corrupt")) {
            EXPECT_NE(damage.meet, Meet::kOpens) << "refused: " << (capture.diagnosed.empty() ? "" : capture.diagnosed[0]);
            ASSERT_EQ(capture.diagnosed.size(), 1u);
            EXPECT_NE(capture.diagnosed[0].find(WorkspacePath() + ": not a"), std::string::npos) << capture.diagnosed[0];
            EXPECT_NE(capture.diagnosed[0].find("workspace.db.corrupt"), std::string::npos) << capture.diagnosed[0];
            ExpectOneLine(capture.diagnosed[0]);
            EXPECT_EQ(tstest::ReadFile(WorkspacePath() + ".corrupt"), bytes);
            EXPECT_EQ(WorkspaceData()->GetValue(), -1) << "not a fresh workspace";
        } else {
            EXPECT_NE(damage.meet, Meet::kRefused) << "opened";
        }
        // Kept at quit, in a file that opens again.
        WorkspaceData()->SetValue(5);
        ASSERT_TRUE(host->Quit(error)) << error;
        EXPECT_EQ(SavedValue(WorkspacePath()), 5);
    }
}

// A save of `path` cut short by a crash: another process changes every row in a transaction
// whose pages spill into the file, and dies before it commits. Its hot journal stays beside.
void CrashDuringASave(const std::string& path) {
    pid_t child = ::fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN; UPDATE data SET bytes = zeroblob(length(bytes) + 64)", nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

// A journal beside a file is played back into it only when that gives a sound file: the
// journal of a save of this very file cut short is, and the file opens as it was before that
// save; the journal of another file (a backup or another document put in the place of the
// one whose save was cut short) is not, and the file is refused with a message naming the
// journal, both left as they were. The workspace is met the same way, and runs on defaults.
TEST_F(StoredStateTest, AJournalBesideAFileIsPlayedBackOnlyWhenThatGivesASoundFile) {
    host->Start(home.Path());
    auto saved = [&](const std::string& path, int32 pages, int32 value) {
        IDocument* document = host->Docs().New(pages, error);
        InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->SetValue(value);
        EXPECT_TRUE(host->Docs().SaveAs(document, path, error)) << error;
        host->Docs().Close(document);
    };
    const std::string own = dir / "own.indd", other = dir / "other.indd", big = dir / "big.indd";
    saved(own, 400, 1);
    saved(other, 2, 2);
    saved(big, 400, 3);
    const std::string ownBytes = tstest::ReadFile(own);
    CrashDuringASave(own);
    CrashDuringASave(big);
    ASSERT_TRUE(std::filesystem::exists(own + "-journal"));
    ASSERT_FALSE(tstest::ReadFile(own) == ownBytes) << "the crash left the file as it was";
    std::filesystem::rename(big + "-journal", other + "-journal");
    const std::string otherBytes = tstest::ReadFile(other), journalBytes = tstest::ReadFile(other + "-journal");

    IDocument* document = host->Docs().Open(own, error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ(InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->GetValue(), 1);
    EXPECT_FALSE(std::filesystem::exists(own + "-journal"));

    capture.diagnosed.clear();
    EXPECT_FALSE(host->Docs().Open(other, error));
    EXPECT_NE(error.find(other + ": not opened: " + other + "-journal beside it would leave it damaged if played back"),
              std::string::npos) << error;
    ExpectOneLine(error);
    EXPECT_TRUE(tstest::ReadFile(other) == otherBytes) << "the file was changed";
    EXPECT_TRUE(tstest::ReadFile(other + "-journal") == journalBytes) << "the journal was changed";
    // Without the journal, the file opens whole.
    std::filesystem::remove(other + "-journal");
    document = host->Docs().Open(other, error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ(InterfacePtr<tstest::ITestData>(document, IID_OF<tstest::ITestData>())->GetValue(), 2);

    WorkspaceData()->SetValue(6);
    ASSERT_TRUE(host->Quit(error)) << error;
    tstest::WriteFile(WorkspacePath() + "-journal", journalBytes);
    const std::string workspaceBytes = tstest::ReadFile(WorkspacePath());
    Boot();
    capture.diagnosed.clear();
    host->Start(home.Path());
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find(WorkspacePath() + "-journal"), std::string::npos) << capture.diagnosed[0];
    EXPECT_EQ(WorkspaceData()->GetValue(), -1);
    ASSERT_TRUE(host->Quit(error)) << error;
    EXPECT_TRUE(tstest::ReadFile(WorkspacePath()) == workspaceBytes) << "the workspace was changed";
    EXPECT_FALSE(std::filesystem::exists(WorkspacePath() + ".corrupt"));
}

TEST_F(StoredStateTest, UIDsAreNeverHandedOutTwiceNorWrap) {
    host->Start(home.Path());
    const std::string path = dir / "good.indd";
    GoodDocument();
    auto open = [&] {
        auto db = tshost::DataBase::Open(path, error);
        EXPECT_TRUE(db) << error;
        return db;
    };
    // A next UID below the ones in use, or equal to the highest: the new object still gets a
    // UID of its own.
    std::unique_ptr<tshost::DataBase> db;
    for (std::string next : {"1", "(SELECT max(uid) FROM objects)"}) {
        SCOPED_TRACE(next);
        ASSERT_EQ(tstest::Sql(path, "UPDATE meta SET value = " + next + " WHERE key = 'next'"), "");
        db = open();
        ASSERT_TRUE(db);
        std::vector<UID> used;
        for (uint32 uid = 1; uid < 100; ++uid)
            if (db->GetClass(UID(uid)).IsValid()) used.push_back(UID(uid));
        ASSERT_GE(used.size(), 3u);
        EXPECT_GT(db->NewObject(tshost::kPageBoss), used.back());
    }

    // The last UID in use: nothing more is handed out, least of all UID 0 or a used one.
    ASSERT_EQ(tstest::Sql(path, "INSERT INTO objects SELECT 4294967294, class FROM objects LIMIT 1"), "");
    db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->NewObject(tshost::kPageBoss), kInvalidUID);
    EXPECT_EQ(db->NewObject(tshost::kPageBoss), kInvalidUID);
}

TEST_F(StoredStateTest, PreDirtyOfAnImplementationThatIsNotPersistentIsRefused) {
    host->Start(home.Path());
    auto plain = WorkspaceData(kPlainIID);
    ASSERT_TRUE(plain);
    tshost::DataBase* db = host->Workspace();
    db->SetModified(kFalse);
    // Inside a step, where a pre-image would be taken for undo.
    tshost::UndoHistory::Get().BeginStep(PMString("Set", PMString::kNoTranslate));
    plain->SetValue(4);
    tshost::UndoHistory::Get().EndStep();
    EXPECT_FALSE(tshost::UndoHistory::Get().CanUndo());
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find("PreDirty refused: implementation 0x7f502"), std::string::npos)
        << capture.diagnosed[0];
    EXPECT_NE(capture.diagnosed[0].find("not persistent"), std::string::npos) << capture.diagnosed[0];
    EXPECT_FALSE(db->IsModified());
    ASSERT_TRUE(host->Quit(error)) << error;
}

TEST_F(StoredStateTest, AnImplementationThatCannotBeMadeIsAnInterfaceTheBossLacks) {
    host->Start(home.Path());
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    EXPECT_NO_THROW(EXPECT_FALSE(InterfacePtr<IPMUnknown>(workspace.get(), kUnmakeableIID)));
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find("0x7f505 failed: cannot be made"), std::string::npos) << capture.diagnosed[0];
    EXPECT_TRUE(InterfacePtr<IPMUnknown>(workspace.get(), IID_OF<tstest::ITestData>()));
}

TEST_F(StoredStateTest, AnExceptionInACommandIsStoppedAtProcessCommand) {
    host->Start(home.Path());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kThrowingCmdBoss));
    ASSERT_TRUE(command);
    ErrorCode result = kSuccess;
    EXPECT_NO_THROW(result = CmdUtils::ProcessCommand(command.get()));
    EXPECT_NE(result, kSuccess);
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), result);
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find("ThrowingCmd failed: boom"), std::string::npos) << capture.diagnosed[0];

    // Ending the step reads the changed data back: a writer that throws then is stopped too.
    capture.diagnosed.clear();
    InterfacePtr<ICommand> writer(CmdUtils::CreateCommand(kWriterCmdBoss));
    ASSERT_TRUE(writer);
    gWritesLeft = 1;  // the pre-image, then no more
    EXPECT_NO_THROW(CmdUtils::ProcessCommand(writer.get()));
    gWritesLeft = -1;
    ASSERT_FALSE(capture.diagnosed.empty());
    EXPECT_NE(capture.diagnosed[0].find("ending the step of WriterCmd failed: cannot be written"), std::string::npos)
        << capture.diagnosed[0];
}

}  // namespace
