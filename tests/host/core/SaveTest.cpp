// Saves that keep what is on disk sound: a save never writes into a file that is no longer the
// document's (deleted, replaced, overwritten) and never reports a failure as "saved"; and,
// as SQLite tests itself, every write, sync and rename of a document save and of a workspace
// save is made to fail in turn, and the disk made full: the failure is reported, the file
// still opens with what it held before, and a later save succeeds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "Alerts.h"
#include "Documents.h"
#include "FileCalls.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "IDocFileUtils.h"
#include "IPageList.h"
#include "TestData.h"
#include "UtilsBoss.h"
#include "WrappedVfs.h"

namespace {

namespace fs = std::filesystem;

using tstest::kOtherIID, tstest::kSetValueCmdBoss;

// I/O faults: SQLite's calls through a VFS wrapped around the default one, the host's own
// through FileCalls. Armed with a kind and n, the n-th call of that kind fails; with a full
// disk, every write from the n-th on fails as SQLite's do when the disk is full.
enum class Op { kWrite, kSync, kRename, kFullDisk };
const char* Name(Op op) {
    switch (op) {
        case Op::kWrite: return "write";
        case Op::kSync: return "sync";
        case Op::kRename: return "rename";
        case Op::kFullDisk: return "full disk";
    }
    return "?";
}

struct Faults {
    bool armed = false;
    Op op = Op::kWrite;
    int n = 0;
    int calls = 0;
    int failed = 0;
    int renamed = 0;              // renames done since armed
    bool failedAfterRename = false;  // the first failure came after a rename was done

    void Arm(Op kind, int nth) { *this = Faults{true, kind, nth, 0, 0, 0, false}; }
    void Disarm() { armed = false; }
    // True when this call must fail.
    bool Fails(Op kind) {
        Op counted = op == Op::kFullDisk ? Op::kWrite : op;
        if (!armed || kind != counted) return false;
        ++calls;
        bool fail = op == Op::kFullDisk ? calls >= n : calls == n;
        if (fail && failed++ == 0) failedAfterRename = renamed > 0;
        return fail;
    }
};
Faults gFaults;

void InstallFaultyVfs() {
    tstest::VfsHooks hooks;
    hooks.write = [] {
        if (!gFaults.Fails(Op::kWrite)) return SQLITE_OK;
        return gFaults.op == Op::kFullDisk ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    };
    hooks.sync = [] { return gFaults.Fails(Op::kSync) ? SQLITE_IOERR_FSYNC : SQLITE_OK; };
    tstest::InstallWrappedVfs(hooks);

    tshost::FileCalls& calls = tshost::FileCalls::Get();
    calls.sync = [](int fd) {
        if (gFaults.Fails(Op::kSync)) {
            errno = EIO;
            return -1;
        }
        return tshost::FileCalls::System().sync(fd);
    };
    calls.rename = [](const char* from, const char* to) {
        if (gFaults.Fails(Op::kRename)) {
            errno = EIO;
            return -1;
        }
        int result = tshost::FileCalls::System().rename(from, to);
        if (result == 0) ++gFaults.renamed;
        return result;
    };
}

void RemoveFaultyVfs() {
    gFaults.Disarm();
    tstest::RemoveWrappedVfs();
    tshost::FileCalls::Get() = tshost::FileCalls::System();
}

// Nothing but the databases themselves in `folder`: no journal, log or index, and no
// leftover of a save afresh.
void ExpectNothingBeside(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find(".saving-"), std::string::npos) << entry.path();
        for (const char* side : {"-journal", "-wal", "-shm"}) EXPECT_FALSE(name.ends_with(side)) << entry.path();
    }
}

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallFaultyVfs();
        ASSERT_TRUE(host.Boot(error)) << error;
        ASSERT_TRUE(tstest::InstallTestData());
        host.Start(dir.Path());
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
    }
    void TearDown() override { RemoveFaultyVfs(); }

    static void Set(IDocument* document, int32 value, PMIID iid = IID_OF<tstest::ITestData>()) {
        InterfacePtr<tstest::ITestData>(document, iid)->SetValue(value);
    }
    // The workspace's value, changed as the user's settings are: by a command.
    static void SetSetting(int32 value) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kSetValueCmdBoss));
        InterfacePtr<tstest::ITestData>(command.get(), IID_OF<tstest::ITestData>())->SetValue(value);
        CmdUtils::ProcessCommand(command.get());
    }
    // The document-file utility's save, as the plug-in calls it, with failures shown.
    ErrorCode Save(IDocument* document) {
        shown.clear();
        tshost::AlertLog::Get().Clear();
        capture.diagnosed.clear();
        InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
        return files->Save(::GetUIDRef(document), IDocFileUtils::kMinimalUI);
    }
    bool ShownSaved() const {
        return std::any_of(shown.begin(), shown.end(), [](const std::string& l) { return l.rfind("saved", 0) == 0; });
    }

    // What a file holds: "value/other/pages", or "unreadable: why". Alone: copied without
    // what is beside it, as a user copies a saved file; else as the host opens it, with the
    // journal a failed save left beside it.
    std::string Holds(const std::string& path, ClassID root = tshost::kDocBoss, bool alone = true) {
        std::string error;
        const std::string copy = dir / "held";
        std::error_code ec;
        if (alone && !fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec)) return "unreadable: " + ec.message();
        auto db = tshost::DataBase::Open(alone ? copy : path, error);
        if (!db) return "unreadable: " + error;
        if (db->GetClass(db->GetRootUID()) != root) return "another kind of file";
        auto value = [&](PMIID iid) {
            InterfacePtr<tstest::ITestData> data(db.get(), db->GetRootUID(), iid);
            return data ? std::to_string(data->GetValue()) : std::string("none");
        };
        std::string held = value(IID_OF<tstest::ITestData>()) + "/" + value(kOtherIID);
        if (root == tshost::kDocBoss) {
            InterfacePtr<IPageList> pages(db.get(), db->GetRootUID(), IID_OF<IPageList>());
            held += "/" + (pages ? std::to_string(pages->GetPageCount()) : std::string("none"));
        }
        return held;
    }

    tstest::Capture capture;
    tstest::TempDir dir;
    tshost::Host host;
    std::string error;
    std::vector<std::string> shown;
};

// Whatever happened to the file while the document was open, the save leaves the complete
// document at its path, never a file missing its root nor another document with this one's
// rows merged in; where that cannot be done the save fails, says why, and does not say
// "saved".
TEST_F(SaveTest, ASaveNeverWritesIntoAFileThatIsNoLongerTheDocuments) {
    struct Case {
        const char* name;
        std::function<void(const std::string& file, const std::string& backup, const std::string& other)> change;
        bool saves;
    };
    const Case cases[] = {
        {"deleted", [](const std::string& f, auto&, auto&) { fs::remove(f); }, true},
        {"replaced by another document", [](const std::string& f, auto&, const std::string& o) { fs::rename(o, f); }, true},
        {"overwritten in place by another document",
         [](const std::string& f, auto&, const std::string& o) { tstest::WriteFile(f, tstest::ReadFile(o)); }, true},
        {"replaced by an older copy of itself",
         [](const std::string& f, const std::string& b, auto&) { fs::rename(b, f); }, true},
        {"overwritten in place by an older copy of itself",
         [](const std::string& f, const std::string& b, auto&) { tstest::WriteFile(f, tstest::ReadFile(b)); }, true},
        {"overwritten with text", [](const std::string& f, auto&, auto&) { tstest::WriteFile(f, "not a database"); }, true},
        // Damage where the save neither reads nor writes (the objects table, when no object is
        // new), which only a check of the whole file finds: its page claims more cells.
        {"damaged in place where the save does not look",
         [](const std::string& f, auto&, auto&) {
             const std::size_t page = std::stoul(tstest::Sql(f, "SELECT rootpage FROM sqlite_master WHERE name = 'objects'"));
             const std::size_t size = std::stoul(tstest::Sql(f, "PRAGMA page_size"));
             std::string bytes = tstest::ReadFile(f);
             bytes[(page - 1) * size + 3] = 0x10;
             tstest::WriteFile(f, bytes);
         },
         true},
        {"gone with its folder", [](const std::string& f, auto&, auto&) { fs::remove_all(fs::path(f).parent_path()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = dir / c.name;
        const std::string file = folder + "/A.indd", backup = folder + "/A.backup", other = folder + "/B.indd";
        fs::create_directories(folder);
        IDocument* b = host.Docs().New(3, error);
        Set(b, 9);
        ASSERT_TRUE(host.Docs().SaveAs(b, other, error)) << error;
        host.Docs().Close(b);
        IDocument* a = host.Docs().New(1, error);
        Set(a, 1);
        ASSERT_TRUE(host.Docs().SaveAs(a, file, error)) << error;
        fs::copy_file(file, backup);
        Set(a, 2, kOtherIID);
        ASSERT_EQ(Save(a), kSuccess);
        Set(a, 3);

        c.change(file, backup, other);
        if (!c.saves) {
            EXPECT_NE(Save(a), kSuccess);
            EXPECT_FALSE(ShownSaved());
            ASSERT_EQ(tshost::AlertLog::Get().Records().size(), 1u);
            EXPECT_NE(tshost::AlertLog::Get().Records()[0].text.find(file), std::string::npos);
            EXPECT_TRUE(tshost::Documents::DataBaseOf(a)->IsModified());
            fs::create_directories(folder);
        }
        ASSERT_EQ(Save(a), kSuccess);
        EXPECT_TRUE(ShownSaved());
        ASSERT_EQ(capture.diagnosed.size(), 1u);
        EXPECT_NE(capture.diagnosed[0].find(file + ": the file was deleted or replaced"), std::string::npos)
            << capture.diagnosed[0];
        EXPECT_EQ(Holds(file), "3/2/1");
        // From then on the file is the document's again, and saves go on into it.
        Set(a, 4);
        ASSERT_EQ(Save(a), kSuccess);
        EXPECT_TRUE(capture.diagnosed.empty()) << capture.diagnosed.front();
        EXPECT_EQ(Holds(file), "4/2/1");
        host.Docs().Close(a);
    }
}

// One run of the host owns a file at a time. A file another run has open (here a database
// opened as that run would) is opened read-only, with a message saying so, and its save says
// why it cannot be made, while the owner's saves go on; nor is a file another run holds
// replaced by a save-as. Once the other run is gone, its lock is too.
TEST_F(SaveTest, AFileAnotherRunHasOpenIsReadButNeitherSavedIntoNorReplaced) {
    const std::string file = dir / "A.indd", other = dir / "B.indd";
    IDocument* a = host.Docs().New(2, error);
    Set(a, 1);
    ASSERT_TRUE(host.Docs().SaveAs(a, file, error)) << error;

    auto run = tshost::DataBase::Open(file, error);
    ASSERT_TRUE(run) << error;
    EXPECT_EQ(run->HeldElsewhere(), "another run of the host has it open");
    EXPECT_NE(run->Save(error), kSuccess);
    EXPECT_EQ(error, file + ": cannot be saved: another run of the host has it open");
    Set(a, 2);
    ASSERT_EQ(Save(a), kSuccess);
    EXPECT_EQ(Holds(file), "2/-1/2");
    // The other run saves its copy as another file, which it then owns.
    ASSERT_EQ(run->SaveAs(other, error), kSuccess) << error;
    EXPECT_EQ(run->HeldElsewhere(), "");
    ASSERT_EQ(run->Save(error), kSuccess) << error;

    Set(a, 3);
    EXPECT_FALSE(host.Docs().SaveAs(a, other, error));
    EXPECT_EQ(error, other + ": cannot be saved: another run of the host has it open");
    EXPECT_EQ(Holds(other), "1/-1/2");
    host.Docs().Close(a);
    capture.diagnosed.clear();
    IDocument* b = host.Docs().Open(other, error);
    ASSERT_TRUE(b) << error;
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_EQ(capture.diagnosed[0], other + ": another run of the host has it open, so it is opened read-only: saves go to another file, with save-as");
    Set(b, 4);
    EXPECT_NE(Save(b), kSuccess);
    EXPECT_FALSE(ShownSaved());
    EXPECT_EQ(Holds(other), "1/-1/2");
    host.Docs().Close(b);

    run.reset();
    b = host.Docs().Open(other, error);
    ASSERT_TRUE(b) << error;
    Set(b, 5);
    ASSERT_EQ(Save(b), kSuccess);
    EXPECT_EQ(Holds(other), "5/-1/2");
}

// Files written before they carried an identity are known by their device and inode: one
// put in the place of another is not saved into.
TEST_F(SaveTest, AFileWithoutAnIdentityIsKnownByItsInode) {
    const std::string file = dir / "A.indd", other = dir / "B.indd";
    for (const auto& [path, pages] : {std::pair{other, 3}, std::pair{file, 1}}) {
        IDocument* document = host.Docs().New(pages, error);
        Set(document, pages);
        ASSERT_TRUE(host.Docs().SaveAs(document, path, error)) << error;
        host.Docs().Close(document);
        ASSERT_EQ(tstest::Sql(path, "DELETE FROM meta WHERE key = 'id'"), "");
    }
    IDocument* a = host.Docs().Open(file, error);
    ASSERT_TRUE(a) << error;
    Set(a, 2, kOtherIID);
    fs::rename(other, file);
    ASSERT_EQ(Save(a), kSuccess);
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_EQ(Holds(file), "1/2/1");
}

// Each call a save makes fails in turn, for every n until a save makes fewer calls than n.
// Either the save reports the failure and the file holds its previous content, or, when the
// call came after the save was committed, the save succeeds with the new content; the next
// save always succeeds.
TEST_F(SaveTest, EveryFailingWriteSyncAndRenameOfADocumentSaveLeavesThePreviousFileReadable) {
    const std::string file = dir / "A.indd";
    IDocument* a = host.Docs().New(2, error);
    int32 value = 1;
    Set(a, value);
    ASSERT_TRUE(host.Docs().SaveAs(a, file, error)) << error;
    // What saves of the file that were cut short left beside it goes when the file is opened
    // next, and not at each save; what is not the file's own stays.
    const std::string leftover = file + ".saving-0123abcd";
    const std::string others[] = {file + ".saving-mine", dir / "B.indd.saving-0123abcd", file + ".saving-0123abcde"};
    for (const std::string& path : others) tstest::WriteFile(path, "");
    tstest::WriteFile(leftover, "");
    Set(a, ++value);
    ASSERT_EQ(Save(a), kSuccess);
    EXPECT_TRUE(fs::exists(leftover));
    host.Docs().Close(a);
    a = host.Docs().Open(file, error);
    ASSERT_TRUE(a) << error;
    EXPECT_FALSE(fs::exists(leftover));
    for (const std::string& path : others) EXPECT_TRUE(fs::remove(path)) << path;
    // Saves into the document's own file, and saves that write it afresh to a new path.
    for (bool afresh : {false, true}) {
        for (Op op : {Op::kWrite, Op::kSync, Op::kRename, Op::kFullDisk}) {
            int reported = 0;
            for (int n = 1; n < 200; ++n) {
                SCOPED_TRACE(std::string(afresh ? "afresh, " : "in place, ") + Name(op) + " " + std::to_string(n));
                const std::string before = Holds(file);
                const std::string target = afresh ? dir / ("A" + std::to_string(value) + ".indd") : file;
                Set(a, ++value);
                shown.clear();
                tshost::AlertLog::Get().Clear();
                gFaults.Arm(op, n);
                bool saved = afresh ? host.Docs().SaveAs(a, target, error) : Save(a) == kSuccess;
                gFaults.Disarm();
                if (gFaults.failed == 0) {
                    EXPECT_TRUE(saved) << error;
                    break;
                }
                const std::string wanted = std::to_string(value) + "/-1/2";
                if (saved) {
                    // Only a failure once the new file is in place leaves the save done.
                    EXPECT_TRUE(afresh && gFaults.failedAfterRename) << "a failure reported as saved";
                    EXPECT_EQ(Holds(target), wanted) << "reported saved";
                } else {
                    ++reported;
                    EXPECT_FALSE(ShownSaved());
                    EXPECT_EQ(tshost::AlertLog::Get().Records().size(), afresh ? 0u : 1u);
                    EXPECT_EQ(Holds(file, tshost::kDocBoss, false), before);
                    EXPECT_EQ(fs::exists(target), !afresh);
                    EXPECT_TRUE(tshost::Documents::DataBaseOf(a)->IsModified());
                    ASSERT_EQ(afresh ? host.Docs().SaveAs(a, target, error) : Save(a) == kSuccess, true) << error;
                    EXPECT_EQ(Holds(target), wanted);
                }
                if (afresh) {
                    // Back to the first file for the next round.
                    ASSERT_TRUE(host.Docs().SaveAs(a, file, error)) << error;
                    fs::remove(target);
                }
                ExpectNothingBeside(dir.Path());
            }
            // A write, a sync and a full disk fail every kind of save; only a save afresh renames.
            EXPECT_EQ(reported > 0, op != Op::kRename || afresh) << Name(op);
        }
    }
}

// Where the host may not write, a document still opens and closes and leaves nothing beside
// it, and a save says why it cannot be made; once the place is writable again, saves go on.
TEST_F(SaveTest, ADocumentWhereNothingCanBeWrittenOpensAndASaveSaysWhyItCannot) {
    struct Case { std::string name; bool writeAhead; mode_t file, folder; std::string why; };
    const Case cases[] = {
        {"read-only folder", false, 0644, 0555, "its folder is read-only"},
        {"read-only file", false, 0444, 0755, "the file is read-only"},
        {"read-only folder, write-ahead file", true, 0644, 0555, "its folder is read-only"},
        {"read-only write-ahead file", true, 0444, 0755, "the file is read-only"},
    };
    for (const Case& c : cases) {
        const std::string folder = dir / c.name, file = folder + "/A.indd";
        fs::create_directories(folder);
        IDocument* a = host.Docs().New(2, error);
        Set(a, 1);
        ASSERT_TRUE(host.Docs().SaveAs(a, file, error)) << error;
        host.Docs().Close(a);
        if (c.writeAhead) {
            ASSERT_EQ(tstest::Sql(file, "PRAGMA journal_mode=WAL"), "wal;");
        }
        tstest::GiveToUnprivileged(folder);
        ::chmod(file.c_str(), c.file);
        ::chmod(folder.c_str(), c.folder);
    }
    ::chmod(dir.Path().c_str(), 0755);
    std::string problems = tstest::RunUnprivileged([&] {
        std::string problems;
        for (const Case& c : cases) {
            const std::string folder = dir / c.name, file = folder + "/A.indd";
            auto listing = [&] {
                std::vector<std::string> names;
                for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
                return names;
            };
            const std::vector<std::string> before = listing();
            std::string error;
            IDocument* a = host.Docs().Open(file, error);
            if (!a) {
                problems += c.name + ": " + error + "\n";
                continue;
            }
            Set(a, 2);
            if (host.Docs().Save(a, error) || error != file + ": cannot be saved: " + c.why)
                problems += c.name + ": the save gave '" + error + "'\n";
            host.Docs().Close(a);
            if (listing() != before) problems += c.name + ": something was left beside the file\n";
            ::chmod(file.c_str(), 0644);
            ::chmod(folder.c_str(), 0755);
            a = host.Docs().Open(file, error);
            Set(a, 3);
            if (!host.Docs().Save(a, error)) problems += c.name + ": writable again, the save failed: " + error + "\n";
            host.Docs().Close(a);
            if (Holds(file, tshost::kDocBoss, false) != "3/-1/2") problems += c.name + ": " + Holds(file, tshost::kDocBoss, false) + "\n";
        }
        return problems;
    });
    EXPECT_EQ(problems, "");
}

// The workspace is saved when a command that changed it ends; a failing call of that save
// is reported, keeps the previous settings on disk, and the change is saved by the next
// command's save (or at quit).
TEST_F(SaveTest, EveryFailingCallOfAWorkspaceSaveIsReportedAndTheNextSaveKeepsTheSetting) {
    const std::string file = host.WorkspacePath();
    ASSERT_FALSE(file.empty());
    int32 value = 1;
    SetSetting(value);
    ASSERT_EQ(Holds(file, tshost::kWorkspaceBoss), "1/-1");
    for (Op op : {Op::kWrite, Op::kSync, Op::kFullDisk}) {
        int reported = 0;
        for (int n = 1; n < 200; ++n) {
            SCOPED_TRACE(std::string(Name(op)) + " " + std::to_string(n));
            const std::string before = Holds(file, tshost::kWorkspaceBoss);
            capture.diagnosed.clear();
            gFaults.Arm(op, n);
            SetSetting(++value);
            gFaults.Disarm();
            if (gFaults.failed == 0) {
                EXPECT_TRUE(capture.diagnosed.empty());
                break;
            }
            ++reported;
            EXPECT_TRUE(host.Workspace()->IsModified()) << "a failure reported as saved";
            ASSERT_EQ(capture.diagnosed.size(), 1u);
            EXPECT_NE(capture.diagnosed[0].find(file), std::string::npos) << capture.diagnosed[0];
            if (op == Op::kFullDisk) {
                EXPECT_NE(capture.diagnosed[0].find("full"), std::string::npos) << capture.diagnosed[0];
            }
            EXPECT_EQ(Holds(file, tshost::kWorkspaceBoss, false), before);
            SetSetting(++value);
            EXPECT_FALSE(host.Workspace()->IsModified());
            EXPECT_EQ(Holds(file, tshost::kWorkspaceBoss), std::to_string(value) + "/-1");
        }
        EXPECT_GT(reported, 0) << Name(op);
        ExpectNothingBeside(dir.Path() + "/.tessaron-host");
    }
    // The first save of a workspace writes it afresh and renames it into place.
    fs::remove(file);
    capture.diagnosed.clear();
    gFaults.Arm(Op::kRename, 1);
    SetSetting(++value);
    gFaults.Disarm();
    EXPECT_EQ(gFaults.failed, 1);
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(host.Quit(error)) << error;
    EXPECT_EQ(Holds(file, tshost::kWorkspaceBoss), std::to_string(value) + "/-1");
}

}  // namespace
