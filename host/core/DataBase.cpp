#include "DataBase.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string_view>
#include <utility>

#include "BossClasses.h"
#include "FileCalls.h"
#include "FileUtils.h"
#include "Guard.h"
#include "HexText.h"
#include "UndoHistory.h"
#include "Utf8.h"

namespace tshost {

namespace {

constexpr const char* kFormat = "tessaron-database-1";

// The host's tables, as it makes them; a file with any other table, column, key, index,
// trigger or view is not one the host wrote.
constexpr const char* kTables[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value)",
    "CREATE TABLE objects(uid INTEGER PRIMARY KEY, class INTEGER NOT NULL)",
    "CREATE TABLE data(uid INTEGER NOT NULL, impl INTEGER NOT NULL, bytes BLOB NOT NULL, PRIMARY KEY(uid, impl))",
};
// Each schema entry the host makes, as SQLite lists it, with the name a message gives it.
// Never destroyed: a host quit from an exit handler still saves, and a table first made after
// that handler was registered would be gone by the time it runs.
const std::map<std::string, std::string>& SchemaEntries() {
    static const auto* entries = new std::map<std::string, std::string>{
        {kTables[0], "table meta"},
        {kTables[1], "table objects"},
        {kTables[2], "table data"},
        {"index sqlite_autoindex_data_1 on data", "key of the table data"},
        {"index sqlite_autoindex_meta_1 on meta", "key of the table meta"},
    };
    return *entries;
}

// Errors that mean the file's content is not a sound Tessaron file, as opposed to errors of
// reaching it (permissions, I/O, locks, memory).
bool IsDamage(int code) {
    switch (code & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
        case SQLITE_RANGE:
        case SQLITE_MISMATCH:
        case SQLITE_ERROR:
            return true;
        default:
            return false;
    }
}

// Owns a connection. Nothing a file defines runs through it: no triggers, no views, nothing
// the schema could make the host do. A file another process is saving is waited for a while:
// with a rollback journal, readers wait for a save to end.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { if (db) sqlite3_close_v2(db); }
    int Open(const std::string& name, int flags) {
        int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
        if (db) {
            sqlite3_busy_timeout(db, 2000);
            sqlite3_extended_result_codes(db, 1);
            sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
            sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
            sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        }
        return rc;
    }
    // SQLite's message, with the system's reason when the file system failed.
    std::string Error() const {
        if (!db) return "out of memory";
        std::string message = sqlite3_errmsg(db);
        int code = sqlite3_errcode(db) & 0xff;
        int system = sqlite3_system_errno(db);
        if (system != 0 && (code == SQLITE_IOERR || code == SQLITE_CANTOPEN || code == SQLITE_FULL))
            message += std::string(" (") + std::strerror(system) + ")";
        return message;
    }
    bool Damaged() const { return db && IsDamage(sqlite3_errcode(db)); }
    bool Exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    explicit operator bool() const { return stmt != nullptr; }
};

// UIDs run from 1 to kLastUID; a next UID of kNoMoreUIDs means they are all used.
constexpr sqlite3_int64 kFirstUID = 1;
constexpr sqlite3_int64 kLastUID = 0xFFFFFFFE;
constexpr sqlite3_int64 kNoMoreUIDs = 0xFFFFFFFF;
constexpr sqlite3_int64 kMaxID = 0xFFFFFFFF;

// The column's value when it is an integer in [low, high]; false for NULL, text, a real
// number, bytes or an integer out of range.
bool IntegerAt(sqlite3_stmt* stmt, int column, sqlite3_int64 low, sqlite3_int64 high, sqlite3_int64& value) {
    if (sqlite3_column_type(stmt, column) != SQLITE_INTEGER) return false;
    value = sqlite3_column_int64(stmt, column);
    return value >= low && value <= high;
}

// The column's value when it is text.
bool TextAt(sqlite3_stmt* stmt, int column, std::string& text) {
    if (sqlite3_column_type(stmt, column) != SQLITE_TEXT) return false;
    const unsigned char* chars = sqlite3_column_text(stmt, column);
    if (!chars) return false;
    text.assign(reinterpret_cast<const char*>(chars), static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
    return true;
}

// A new identity for a file: 128 random bits as hex.
std::string NewIdentity() {
    std::random_device random;
    std::string id;
    char part[9];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        id += part;
    }
    return id;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool DeniedError(int error) { return error == EACCES || error == EPERM || error == EROFS; }

constexpr const char* kHeldElsewhere = "another run of the host has it open";

// Opens `path` and takes its lock: the descriptor that holds it; -1 with `heldElsewhere` set
// when another holds it. A file system that keeps no such locks gives the descriptor unlocked:
// nothing can be known there, and the host goes on as without locks.
int LockFile(const std::string& path, bool& heldElsewhere) {
    heldElsewhere = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return fd;
    heldElsewhere = true;
    ::close(fd);
    return -1;
}

bool SameFile(int fd, const struct stat& st) {
    struct stat held {};
    return fd >= 0 && ::fstat(fd, &held) == 0 && held.st_dev == st.st_dev && held.st_ino == st.st_ino;
}

// What stands at `path` when it is not a file that can be read, with the failure's kind;
// kNone for a readable file.
DataBase::OpenFailure Inspect(const std::string& path, std::string& what) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        int error = errno;
        struct stat link {};
        if (error == ELOOP) {
            what = "is a loop of symbolic links";
            return DataBase::OpenFailure::kNotAFile;
        }
        if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            what = "is a symbolic link to a file that does not exist";
            return DataBase::OpenFailure::kNotAFile;
        }
        if (error == ENOENT || error == ENOTDIR) {
            what = "no such file";
            return DataBase::OpenFailure::kMissing;
        }
        what = std::string("cannot be reached: ") + std::strerror(error);
        return DataBase::OpenFailure::kUnreadable;
    }
    if (S_ISDIR(st.st_mode)) what = "is a folder, not a file";
    else if (S_ISFIFO(st.st_mode)) what = "is a FIFO (named pipe), not a file";
    else if (S_ISSOCK(st.st_mode)) what = "is a socket, not a file";
    else if (!S_ISREG(st.st_mode)) what = "is a device, not a file";
    if (!what.empty()) return DataBase::OpenFailure::kNotAFile;
    if (::access(path.c_str(), R_OK) != 0) {
        what = std::string("cannot be read: ") + std::strerror(errno);
        return DataBase::OpenFailure::kUnreadable;
    }
    return DataBase::OpenFailure::kNone;
}

// Why nothing can be written at `path` (its folder or the file itself is read-only); empty
// when writing may go ahead.
std::string ReadOnlyReason(const std::string& path) {
    if (::access(FolderOf(path).c_str(), W_OK) != 0 && DeniedError(errno)) return "its folder is read-only";
    if (::access(path.c_str(), W_OK) != 0 && DeniedError(errno)) return "the file is read-only";
    return {};
}

// A file name as an SQLite URI, every byte that could be read as URI syntax escaped.
std::string UriOf(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char ch : path) {
        if (std::isalnum(ch) || std::strchr("/-._~", ch)) {
            uri += static_cast<char>(ch);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", ch);
            uri += escaped;
        }
    }
    return uri;
}

// The write version in the file's header: SQLite reads a file of a later one but never writes
// it, so every save into it would fail. 0 when the file has no SQLite header at all.
int WriteVersion(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    if (!in.read(header, sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0) return 0;
    return static_cast<unsigned char>(header[18]);
}

enum class Verdict { kSound, kDamaged, kUnreadable };

// Whether the file holds exactly the host's tables and nothing else, and SQLite finds its
// structure whole (every page reachable, every index matching its table); `why` says what
// is wrong, or why the file could not be checked.
Verdict CheckStructure(Connection& c, std::string& why) {
    auto failed = [&] {
        why = c.Error();
        return c.Damaged() ? Verdict::kDamaged : Verdict::kUnreadable;
    };
    std::map<std::string, std::string> expected = SchemaEntries();
    {
        Statement schema(c.db, "SELECT type, name, tbl_name, sql FROM sqlite_master");
        if (!schema) return failed();
        int rc;
        while ((rc = sqlite3_step(schema.stmt)) == SQLITE_ROW) {
            auto text = [&](int column) {
                const unsigned char* chars = sqlite3_column_text(schema.stmt, column);
                return chars ? std::string(reinterpret_cast<const char*>(chars)) : std::string();
            };
            std::string type = text(0), name = text(1);
            std::string entry = sqlite3_column_type(schema.stmt, 3) == SQLITE_NULL ? type + " " + name + " on " + text(2) : text(3);
            if (!expected.erase(entry)) {
                why = "it holds the " + type + " " + name + ", which the host does not make";
                return Verdict::kDamaged;
            }
        }
        if (rc != SQLITE_DONE) return failed();
        if (!expected.empty()) {
            why = "it lacks the host's " + expected.begin()->second;
            return Verdict::kDamaged;
        }
    }
    Statement check(c.db, "PRAGMA integrity_check(1)");
    if (!check || sqlite3_step(check.stmt) != SQLITE_ROW) return failed();
    const unsigned char* verdict = sqlite3_column_text(check.stmt, 0);
    std::string found = verdict ? reinterpret_cast<const char*>(verdict) : "";
    if (found == "ok") return Verdict::kSound;
    why = "its structure is damaged: " + found;
    return Verdict::kDamaged;
}

}  // namespace

std::unique_ptr<DataBase> DataBase::CreateNew(ClassID rootClass, std::string displayName) {
    std::unique_ptr<DataBase> db(new DataBase());
    db->fDisplayName = std::move(displayName);
    db->fRoot = db->NewObject(rootClass);
    if (!db->fRoot.IsValid()) return nullptr;
    return db;
}

std::unique_ptr<DataBase> DataBase::Open(const std::string& posixPath, std::string& error, OpenFailure* failure,
                                         const Acceptable& acceptable) {
    OpenFailure kind = OpenFailure::kDamaged;
    std::unique_ptr<DataBase> db;
    // Whatever fails while a file is read is damage of that file, never a crash.
    try {
        db = Read(posixPath, error, kind, acceptable, true);
    } catch (const std::exception& e) {
        error = posixPath + ": not a readable Tessaron file (" + e.what() + ")";
    }
    if (failure) *failure = db ? OpenFailure::kNone : kind;
    error = OneLine(error);
    return db;
}

DataBase::OpenFailure DataBase::CheckSideFiles(const std::string& path, const Acceptable& acceptable, std::string& why) {
    std::vector<std::string> sides;
    for (const char* side : {"-journal", "-wal"})
        if (Exists(path + side)) sides.push_back(side);
    if (sides.empty()) return OpenFailure::kNone;
    // The copies go to a folder only this user can enter, made for this check and removed
    // after it, so that nothing else sees or changes them meanwhile.
    std::error_code ec;
    std::string folder = (std::filesystem::temp_directory_path(ec) / "tessaron-check-XXXXXX").string();
    if (ec || !::mkdtemp(folder.data())) {
        why = std::string("its journal cannot be checked: ") + std::strerror(ec ? ec.value() : errno);
        return OpenFailure::kUnreadable;
    }
    const std::string copy = folder + "/check.db";
    sides.insert(sides.begin(), "");
    for (const std::string& side : sides)
        if (!std::filesystem::copy_file(path + side, copy + side, ec)) break;
    OpenFailure result = OpenFailure::kNone;
    if (ec) {
        why = "its journal cannot be checked: " + ec.message();
        result = OpenFailure::kUnreadable;
    } else {
        std::string error;
        OpenFailure failure = OpenFailure::kNone;
        if (!Read(copy, error, failure, acceptable, false)) {
            // The copy's own name means nothing to the user: only what was found is told.
            why = error.substr(std::min(error.size(), copy.size() + 2));
            result = failure == OpenFailure::kDamaged ? OpenFailure::kForeignJournal : OpenFailure::kUnreadable;
        }
    }
    std::filesystem::remove_all(folder, ec);
    return result;
}

std::unique_ptr<DataBase> DataBase::Read(const std::string& posixPath, std::string& error, OpenFailure& failure,
                                         const Acceptable& acceptable, bool checkSideFiles) {
    std::string what;
    failure = Inspect(posixPath, what);
    if (failure != OpenFailure::kNone) {
        error = posixPath + ": " + what;
        return nullptr;
    }
    failure = OpenFailure::kDamaged;
    auto damaged = [&](const std::string& why) {
        error = posixPath + ": not a readable Tessaron file (" + why + ")";
        return nullptr;
    };
    if (int version = WriteVersion(posixPath); version > 2)
        return damaged("its header allows reading it but never writing it (write version " + std::to_string(version) + ")");
    Connection c;
    // Where the host may write, SQLite opens the file as it would for a save, so that what a
    // crash left half-done is put right first. Where it may not, the file is read alone,
    // creating nothing beside it; that is sound only while nothing beside it belongs to it.
    // Reading leaves nothing behind: a save uses a rollback journal, which is gone when the
    // save is, and a file still in write-ahead mode loses its side files when its last writer
    // closes.
    const bool writable = ReadOnlyReason(posixPath).empty();
    // Taken before any connection is open: closing a descriptor of the file would drop the
    // locks SQLite holds on it.
    struct Lock {
        int fd = -1;
        ~Lock() { if (fd >= 0) ::close(fd); }
    } lock;
    bool heldElsewhere = false;
    if (checkSideFiles) lock.fd = LockFile(posixPath, heldElsewhere);
    if (writable && checkSideFiles) {
        std::string why;
        failure = CheckSideFiles(posixPath, acceptable, why);
        if (failure == OpenFailure::kForeignJournal) {
            const std::string side = Exists(posixPath + "-journal") ? posixPath + "-journal" : posixPath + "-wal";
            error = posixPath + ": not opened: " + side + " beside it would leave it damaged if played back (" + why +
                    "); both files are left as they are";
            return nullptr;
        }
        if (failure != OpenFailure::kNone) {
            error = posixPath + ": cannot be read: " + why;
            return nullptr;
        }
        failure = OpenFailure::kDamaged;
    }
    int opened;
    if (writable)
        opened = c.Open(posixPath, SQLITE_OPEN_READWRITE);
    else if (Exists(posixPath + "-journal") || Exists(posixPath + "-wal"))
        opened = c.Open(posixPath, SQLITE_OPEN_READONLY);
    else
        opened = c.Open(UriOf(posixPath) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    auto failed = [&] {
        if (c.Damaged()) return damaged(c.Error());
        failure = OpenFailure::kUnreadable;
        error = posixPath + ": cannot be read: " + c.Error();
        return nullptr;
    };
    if (opened != SQLITE_OK) return failed();
    // One read transaction: the checks and the reading see the same file.
    if (!c.Exec("BEGIN")) return failed();
    {
        std::string why;
        Verdict verdict = CheckStructure(c, why);
        if (verdict == Verdict::kDamaged) return damaged(why);
        if (verdict == Verdict::kUnreadable) {
            failure = OpenFailure::kUnreadable;
            error = posixPath + ": cannot be read: " + why;
            return nullptr;
        }
    }
    // What saves of this file cut short left beside it is looked for once, when it is opened
    // by the run that holds it.
    if (writable && lock.fd >= 0 && !heldElsewhere) RemoveLeftovers(posixPath);
    std::unique_ptr<DataBase> db(new DataBase());
    db->fLockFd = std::exchange(lock.fd, -1);
    if (heldElsewhere) db->fHeldElsewhere = kHeldElsewhere;
    db->fPath = posixPath;
    db->fDisplayName = posixPath.substr(posixPath.find_last_of('/') + 1);
    db->ReadIdentity(c.db, posixPath);
    // Every value read is checked for its type and range: a NULL, a text where a number
    // belongs or a number that does not fit is damage, never a default or a crash.
    {
        Statement meta(c.db, "SELECT key, value FROM meta");
        if (!meta) return failed();
        std::set<std::string> seen;
        bool formatOk = false;
        sqlite3_int64 root = 0, next = 0;
        int rc;
        while ((rc = sqlite3_step(meta.stmt)) == SQLITE_ROW) {
            std::string key;
            if (!TextAt(meta.stmt, 0, key)) return damaged("a key of the meta table is NULL or not text");
            if (!seen.insert(key).second) return damaged("the meta table holds '" + key + "' twice");
            if (sqlite3_column_type(meta.stmt, 1) == SQLITE_NULL) return damaged("'" + key + "' in the meta table has no value");
            if (key == "format") {
                std::string format;
                formatOk = TextAt(meta.stmt, 1, format) && format == kFormat;
            } else if (key == "root") {
                if (!IntegerAt(meta.stmt, 1, kFirstUID, kLastUID, root)) return damaged("its root UID is not a valid UID");
            } else if (key == "next") {
                if (!IntegerAt(meta.stmt, 1, kFirstUID, kNoMoreUIDs, next)) return damaged("its next UID is not a valid UID");
            }
        }
        if (rc != SQLITE_DONE) return failed();
        if (!formatOk) return damaged("unknown format");
        if (!root) return damaged("no root object");
        if (!next) return damaged("no next UID");
        db->fRoot = UID(static_cast<uint32>(root));
        db->fNextUID = static_cast<uint32>(next);
    }
    {
        Statement objects(c.db, "SELECT uid, class FROM objects");
        if (!objects) return failed();
        int rc;
        while ((rc = sqlite3_step(objects.stmt)) == SQLITE_ROW) {
            sqlite3_int64 uid = 0, cls = 0;
            if (!IntegerAt(objects.stmt, 0, kFirstUID, kLastUID, uid)) return damaged("an object's UID is not a valid UID");
            if (!IntegerAt(objects.stmt, 1, 1, kMaxID, cls)) return damaged("object " + std::to_string(uid) + " has no valid class");
            if (!db->fClasses.emplace(UID(static_cast<uint32>(uid)), ClassID(static_cast<uint32>(cls))).second)
                return damaged("object " + std::to_string(uid) + " is there twice");
        }
        if (rc != SQLITE_DONE) return failed();
    }
    {
        Statement data(c.db, "SELECT uid, impl, bytes FROM data");
        if (!data) return failed();
        int rc;
        while ((rc = sqlite3_step(data.stmt)) == SQLITE_ROW) {
            sqlite3_int64 uid = 0, impl = 0;
            if (!IntegerAt(data.stmt, 0, kFirstUID, kLastUID, uid) || !IntegerAt(data.stmt, 1, 1, kMaxID, impl) ||
                sqlite3_column_type(data.stmt, 2) != SQLITE_BLOB)
                return damaged("a row of object data is not a UID, an implementation and bytes");
            const void* bytes = sqlite3_column_blob(data.stmt, 2);
            auto size = static_cast<size_t>(sqlite3_column_bytes(data.stmt, 2));
            auto key = std::make_pair(UID(static_cast<uint32>(uid)), ImplementationID(static_cast<uint32>(impl)));
            if (!db->fStored.emplace(key, bytes ? std::string(static_cast<const char*>(bytes), size) : std::string()).second)
                return damaged("object " + std::to_string(uid) + " holds the same implementation twice");
        }
        if (rc != SQLITE_DONE) return failed();
    }
    if (!db->fClasses.count(db->fRoot)) return damaged("no root object");
    // A next UID at or below one in use would hand that UID out again. The largest UID in use
    // is at most kLastUID, so one past it still fits.
    if (!db->fClasses.empty() && db->fClasses.rbegin()->first.Get() >= db->fNextUID)
        db->fNextUID = db->fClasses.rbegin()->first.Get() + 1;
    if (std::string why; acceptable && !acceptable(*db, why)) return damaged(why);
    return db;
}

void DataBase::ReadIdentity(sqlite3* db, const std::string& path) {
    // Damage here shows when the rest is read; an identity that cannot be read is none.
    Statement identity(db, "SELECT value FROM meta WHERE key = 'id'");
    if (identity && sqlite3_step(identity.stmt) == SQLITE_ROW && sqlite3_column_type(identity.stmt, 0) == SQLITE_TEXT)
        fIdentity = reinterpret_cast<const char*>(sqlite3_column_text(identity.stmt, 0));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) Remember(st);
}

void DataBase::Remember(const struct stat& st) {
    fDevice = st.st_dev;
    fInode = st.st_ino;
    fSize = st.st_size;
    fModifiedAt = st.st_mtim;
}

bool DataBase::Unchanged(const struct stat& st) const {
    return st.st_dev == fDevice && st.st_ino == fInode && st.st_size == fSize && st.st_mtim.tv_sec == fModifiedAt.tv_sec &&
           st.st_mtim.tv_nsec == fModifiedAt.tv_nsec;
}

DataBase::~DataBase() {
    if (fLockFd >= 0) ::close(fLockFd);
    UndoHistory::Get().Forget(this);
    for (auto& [uid, boss] : fBosses) {
        boss->DetachFromDataBase();
        boss->Release();
    }
}

bool16 DataBase::GetSysFile(IDFile& file) const {
    if (fPath.empty()) return kFalse;
    file = FileUtils::FromPosixPath(fPath);
    return kTrue;
}

UID DataBase::NewObject(ClassID cls) {
    if (!BossClasses::Get().Exists(cls) || UIDsUsedUp()) return kInvalidUID;
    UID uid(fNextUID++);
    fClasses[uid] = cls;
    fUnsavedObjects[uid] = true;
    ++fChanges;
    return uid;
}

bool DataBase::UIDsUsedUp() const { return fNextUID > kLastUID; }

std::vector<UID> DataBase::UIDs() const {
    std::vector<UID> uids;
    for (const auto& [uid, cls] : fClasses) uids.push_back(uid);
    return uids;
}

ClassID DataBase::GetClass(UID uid) const {
    auto it = fClasses.find(uid);
    return it == fClasses.end() ? kInvalidClass : it->second;
}

Boss* DataBase::GetBoss(UID uid) {
    if (auto it = fBosses.find(uid); it != fBosses.end()) return it->second;
    ClassID cls = GetClass(uid);
    if (!cls.IsValid()) return nullptr;
    Boss* boss = Boss::Create(cls, this, uid);
    if (boss) fBosses[uid] = boss;
    return boss;
}

IPMUnknown* DataBase::Instantiate(UID uid, PMIID interfaceID) {
    return Guarded<IPMUnknown*>("instantiating object " + std::to_string(uid.Get()), nullptr, [&]() -> IPMUnknown* {
        Boss* boss = GetBoss(uid);
        return boss ? boss->QueryInterface(interfaceID) : nullptr;
    });
}

void DataBase::LoadImplementation(Boss& boss, Boss::Slot& slot) {
    auto it = fStored.find({boss.GetUID(), slot.impl});
    if (it == fStored.end()) return;
    if (Boss::Deserialize(slot, it->second)) return;
    // Damaged bytes: start the implementation over from its defaults, keeping what is stored
    // until the object is changed and saved.
    ReportProblem((fPath.empty() ? fDisplayName : fPath) + ": damaged data of object " + std::to_string(boss.GetUID().Get()) +
                  " (implementation " + Hex(slot.impl.Get()) + "); defaults used");
    slot.entry->destroy(slot.object);
    slot.object = slot.entry->create(slot.memory, &boss);
}

void DataBase::PreDirty(Boss& boss, Boss::Slot& slot) {
    // Nothing of a non-persistent implementation is saved or undone: a PreDirty on one is a
    // mistake of its registration, refused rather than run into its missing read-write.
    if (!slot.entry->Persistent()) {
        ReportProblem("PreDirty refused: implementation " + Hex(slot.impl.Get()) + " of class " +
                      Hex(boss.GetClass().Get()) + " is not persistent");
        return;
    }
    UndoHistory& undo = UndoHistory::Get();
    if (undo.WantsPreImage(this, boss.GetUID(), slot.impl))
        undo.RecordPreImage(this, boss.GetUID(), slot.impl, Boss::Serialize(slot));
    slot.dirty = true;
    fModified = true;
    ++fChanges;
}

std::string DataBase::CurrentBytes(UID uid, ImplementationID impl) {
    Boss* boss = GetBoss(uid);
    Boss::Slot* slot = boss ? boss->InstantiateImpl(impl) : nullptr;
    return slot && slot->entry->Persistent() ? Boss::Serialize(*slot) : std::string();
}

const std::string* DataBase::StoredBytes(UID uid, ImplementationID impl) const {
    auto it = fStored.find({uid, impl});
    return it == fStored.end() ? nullptr : &it->second;
}

void DataBase::Restore(UID uid, ImplementationID impl, const std::string& bytes) {
    Boss* boss = GetBoss(uid);
    Boss::Slot* slot = boss ? boss->InstantiateImpl(impl) : nullptr;
    if (!slot || !slot->entry->Persistent()) return;
    Boss::Deserialize(*slot, bytes);
    slot->dirty = true;
    fModified = true;
    ++fChanges;
}

ErrorCode DataBase::Save(std::string& error) {
    if (fPath.empty()) {
        error = fDisplayName + ": has no file yet";
        return kFailure;
    }
    ErrorCode result = Write(fPath, false, false, error);
    error = OneLine(error);
    return result;
}

ErrorCode DataBase::SaveAs(const std::string& posixPath, std::string& error, bool privateFile) {
    ErrorCode result = Write(posixPath, posixPath != fPath, privateFile, error);
    error = OneLine(error);
    return result;
}

ErrorCode DataBase::Write(const std::string& path, bool everything, bool privateFile, std::string& error) {
    fReplacedFile = false;
    std::string why = path == fPath ? fHeldElsewhere : std::string();
    if (why.empty()) why = ReadOnlyReason(path);
    if (!why.empty()) {
        error = path + ": cannot be saved: " + why;
        return kFailure;
    }
    // Current bytes of every implementation whose stored bytes they would change; kept aside
    // until the file holds them.
    Rows changed;
    for (auto& [uid, boss] : fBosses)
        for (const Boss::Slot& slot : boss->Slots()) {
            if (!slot.entry->Persistent() || !slot.dirty) continue;
            std::string bytes = Boss::Serialize(slot);
            auto stored = fStored.find({uid, slot.impl});
            if (stored == fStored.end() || stored->second != bytes) changed[{uid, slot.impl}] = std::move(bytes);
        }
    ErrorCode result = kSuccess;
    if (!everything) {
        int written = WriteChanges(path, changed, privateFile, error);
        if (written < 0) result = kFailure;
        if (written == 0) fReplacedFile = true;
    }
    if (everything || fReplacedFile) {
        // A file at the path that another run holds is that run's to save, not this one's to
        // replace.
        struct stat st {};
        bool heldElsewhere = false;
        if (::stat(path.c_str(), &st) == 0 && !SameFile(fLockFd, st)) {
            int fd = LockFile(path, heldElsewhere);
            if (fd >= 0) ::close(fd);
        }
        if (heldElsewhere) {
            error = path + ": cannot be saved: " + kHeldElsewhere;
            return kFailure;
        }
        result = WriteAfresh(path, std::move(changed), privateFile, error);
    }
    if (result != kSuccess) RemoveLeftovers(path);
    return result;
}

void DataBase::RemoveLeftovers(const std::string& path) {
    // What a save afresh that was cut short left beside the file: its own name, ".saving-"
    // and eight hex digits. The folder is read with the plain calls: it may hold tens of
    // thousands of names, of which only these few are of interest.
    const std::string folder = FolderOf(path);
    const std::string prefix = path.substr(path.find_last_of('/') + 1) + ".saving-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                         [](unsigned char ch) { return std::isxdigit(ch); }))
            continue;
        const std::string leftover = folder + "/" + std::string(name);
        struct stat st {};
        if (::lstat(leftover.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

int DataBase::WriteChanges(const std::string& path, Rows changed, bool privateFile, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != fDevice || st.st_ino != fInode) return 0;
    Connection c;
    auto notOurs = [&] { return c.db && (sqlite3_errcode(c.db) == SQLITE_NOTADB || sqlite3_errcode(c.db) == SQLITE_CORRUPT); };
    auto fail = [&](const std::string& what) {
        if (notOurs()) return 0;
        error = path + ": " + what + ": " + c.Error();
        if (c.db) c.Exec("ROLLBACK");
        return -1;
    };
    // Without SQLITE_OPEN_CREATE: a file deleted since the check is not made anew, empty.
    if (c.Open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK) {
        if (::stat(path.c_str(), &st) != 0) return 0;
        return fail("cannot be opened for writing");
    }
    // A rollback journal rather than a write-ahead log: once the save is done the file alone
    // holds it, and nothing is left beside it. A file written in write-ahead mode is turned.
    {
        Statement mode(c.db, "PRAGMA journal_mode=DELETE");
        const unsigned char* set = mode && sqlite3_step(mode.stmt) == SQLITE_ROW ? sqlite3_column_text(mode.stmt, 0) : nullptr;
        if (!set || std::strcmp(reinterpret_cast<const char*>(set), "delete") != 0) return fail("cannot be written");
    }
    if (!c.Exec("PRAGMA synchronous=FULL")) return fail("cannot be written");
    if (!c.Exec("BEGIN IMMEDIATE")) return fail("cannot be written");
    {
        // A file that is not ours reads as another identity, or as none where we have one.
        Statement identity(c.db, "SELECT value FROM meta WHERE key = 'id'");
        if (!identity) return sqlite3_errcode(c.db) == SQLITE_ERROR ? 0 : fail("cannot be read");
        std::string found;
        int rc = sqlite3_step(identity.stmt);
        if (rc == SQLITE_ROW && sqlite3_column_type(identity.stmt, 0) == SQLITE_TEXT)
            found = reinterpret_cast<const char*>(sqlite3_column_text(identity.stmt, 0));
        else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return fail("cannot be read");
        if (found != fIdentity) {
            c.Exec("ROLLBACK");
            return 0;
        }
    }
    // A file damaged since it was read is not saved into: the save writes it afresh. Damage
    // comes with a change of the file, which its size and modification time show; one this
    // host alone wrote is not read through again before each save.
    if (::stat(path.c_str(), &st) != 0 || !Unchanged(st)) {
        std::string why;
        Verdict verdict = CheckStructure(c, why);
        if (verdict == Verdict::kUnreadable) return fail("cannot be read");
        if (verdict == Verdict::kDamaged) {
            c.Exec("ROLLBACK");
            return 0;
        }
    }
    if (privateFile) ::chmod(path.c_str(), 0600);
    // A new identity each time: a copy of this file as it was before (a backup put back in
    // its place) no longer passes for it.
    const std::string id = NewIdentity();
    if (!WriteRows(c.db, false, id, changed)) return fail("cannot be written");
    if (!c.Exec("COMMIT")) return fail("cannot be written");
    Saved(path, id, changed);
    return 1;
}

ErrorCode DataBase::WriteAfresh(const std::string& path, Rows changed, bool privateFile, std::string& error) {
    // Implementations that were never stored are written as they are now.
    for (auto& [uid, boss] : fBosses)
        for (const Boss::Slot& slot : boss->Slots())
            if (slot.entry->Persistent() && !fStored.count({uid, slot.impl}) && !changed.count({uid, slot.impl}))
                changed[{uid, slot.impl}] = Boss::Serialize(slot);
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = path + ".saving-" + NewIdentity().substr(0, 8);
        fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, privateFile ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = path + ": cannot be written: " + std::strerror(errno);
        return kFailure;
    }
    // The new file is locked before it is in place, so it is never there unheld.
    const int lockFd = fd;
    ::flock(lockFd, LOCK_EX | LOCK_NB);
    auto fail = [&](const std::string& what) {
        ::unlink(temp.c_str());
        ::close(lockFd);
        error = path + ": " + what;
        return kFailure;
    };
    const std::string id = NewIdentity();
    {
        Connection c;
        auto failed = [&] { return fail("cannot be written: " + c.Error()); };
        if (c.Open(temp, SQLITE_OPEN_READWRITE) != SQLITE_OK) return failed();
        // The new file is nobody's until it is renamed into place, so it needs no journal:
        // a failure leaves it to be removed.
        if (!c.Exec("PRAGMA journal_mode=OFF") || !c.Exec("PRAGMA synchronous=FULL") || !c.Exec("BEGIN"))
            return failed();
        if (!WriteRows(c.db, true, id, changed) || !c.Exec("COMMIT")) return failed();
        if (sqlite3_close(c.db) != SQLITE_OK) return failed();
        c.db = nullptr;
    }
    fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || FileCalls::Get().sync(fd) != 0) {
        std::string why = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return fail("cannot be written: " + why);
    }
    ::close(fd);
    // A journal, write-ahead log or index left beside the path belongs to the file being
    // replaced; SQLite would play it back into the new one.
    for (const char* side : {"-journal", "-wal", "-shm"}) ::unlink((path + side).c_str());
    if (FileCalls::Get().rename(temp.c_str(), path.c_str()) != 0) return fail("cannot be replaced: " + std::string(std::strerror(errno)));
    if (fLockFd >= 0) ::close(fLockFd);
    fLockFd = lockFd;
    fHeldElsewhere.clear();
    // The rename is the save: once it is done the new file is in place. Flushing the folder
    // only makes it outlast a power cut, so its failure cannot undo the save.
    fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    Saved(path, id, changed);
    return kSuccess;
}

bool DataBase::WriteRows(sqlite3* db, bool everything, const std::string& id, const Rows& changed) {
    auto exec = [db](const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    if (everything)
        for (const char* table : kTables)
            if (!exec(table)) return false;
    {
        Statement meta(db, "INSERT OR REPLACE INTO meta(key, value) VALUES (?1, ?2)");
        if (!meta) return false;
        auto put = [&](const char* key, auto bind) {
            sqlite3_reset(meta.stmt);
            sqlite3_bind_text(meta.stmt, 1, key, -1, SQLITE_STATIC);
            bind();
            return sqlite3_step(meta.stmt) == SQLITE_DONE;
        };
        if (everything && (!put("format", [&] { sqlite3_bind_text(meta.stmt, 2, kFormat, -1, SQLITE_STATIC); }) ||
                           !put("root", [&] { sqlite3_bind_int64(meta.stmt, 2, fRoot.Get()); })))
            return false;
        if ((everything || !fUnsavedObjects.empty()) && !put("next", [&] { sqlite3_bind_int64(meta.stmt, 2, fNextUID); }))
            return false;
        if (id != fIdentity && !put("id", [&] { sqlite3_bind_text(meta.stmt, 2, id.c_str(), -1, SQLITE_STATIC); }))
            return false;
    }
    {
        Statement obj(db, "INSERT OR REPLACE INTO objects(uid, class) VALUES (?1, ?2)");
        if (!obj) return false;
        for (const auto& [uid, cls] : fClasses) {
            if (!everything && !fUnsavedObjects.count(uid)) continue;
            sqlite3_reset(obj.stmt);
            sqlite3_bind_int64(obj.stmt, 1, uid.Get());
            sqlite3_bind_int64(obj.stmt, 2, cls.Get());
            if (sqlite3_step(obj.stmt) != SQLITE_DONE) return false;
        }
    }
    Statement data(db, "INSERT OR REPLACE INTO data(uid, impl, bytes) VALUES (?1, ?2, ?3)");
    if (!data) return false;
    auto put = [&](const std::pair<UID, ImplementationID>& key, const std::string& bytes) {
        sqlite3_reset(data.stmt);
        sqlite3_bind_int64(data.stmt, 1, key.first.Get());
        sqlite3_bind_int64(data.stmt, 2, key.second.Get());
        // An empty blob must stay an empty blob, not NULL.
        if (bytes.empty())
            sqlite3_bind_zeroblob(data.stmt, 3, 0);
        else
            sqlite3_bind_blob(data.stmt, 3, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        return sqlite3_step(data.stmt) == SQLITE_DONE;
    };
    for (const auto& [key, bytes] : changed)
        if (!put(key, bytes)) return false;
    if (everything)
        for (const auto& [key, bytes] : fStored)
            if (!changed.count(key) && !put(key, bytes)) return false;
    return true;
}

void DataBase::Saved(const std::string& path, const std::string& id, Rows& changed) {
    for (auto& [key, bytes] : changed) fStored[key] = std::move(bytes);
    for (auto& [uid, boss] : fBosses)
        for (Boss::Slot& slot : boss->Slots()) slot.dirty = false;
    fUnsavedObjects.clear();
    fModified = false;
    fIdentity = id;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) Remember(st);
    if (fPath != path) {
        fPath = path;
        fDisplayName = path.substr(path.find_last_of('/') + 1);
    }
}

}  // namespace tshost
