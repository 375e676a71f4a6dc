#include "DataBase.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

#include "BossClasses.h"
#include "FileCalls.h"
#include "FileUtils.h"
#include "Guard.h"
#include "HexText.h"
#include "UndoHistory.h"

namespace tshost {

namespace {

constexpr const char* kFormat = "tessaron-database-1";

// Owns a connection; closing it checkpoints the write-ahead log away.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { if (db) sqlite3_close_v2(db); }
    std::string Error() const { return db ? sqlite3_errmsg(db) : "out of memory"; }
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

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::unique_ptr<DataBase> DataBase::CreateNew(ClassID rootClass, std::string displayName) {
    std::unique_ptr<DataBase> db(new DataBase());
    db->fDisplayName = std::move(displayName);
    db->fRoot = db->NewObject(rootClass);
    if (!db->fRoot.IsValid()) return nullptr;
    return db;
}

std::unique_ptr<DataBase> DataBase::Open(const std::string& posixPath, std::string& error) {
    // Whatever fails while a file is read is damage of that file, never a crash.
    try {
        return Read(posixPath, error);
    } catch (const std::exception& e) {
        error = posixPath + ": not a readable Tessaron file (" + e.what() + ")";
    }
    return nullptr;
}

std::unique_ptr<DataBase> DataBase::Read(const std::string& posixPath, std::string& error) {
    if (!FileExists(posixPath)) {
        error = posixPath + ": no such file";
        return nullptr;
    }
    Connection c;
    // Read-write when allowed, although only read: a read-only connection to a file saved in
    // WAL mode leaves its -wal and -shm files behind, and only a writer removes them on close.
    if (sqlite3_open_v2(posixPath.c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(c.db);
        c.db = nullptr;
        if (sqlite3_open_v2(posixPath.c_str(), &c.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            error = posixPath + ": cannot be opened: " + c.Error();
            return nullptr;
        }
    }
    std::unique_ptr<DataBase> db(new DataBase());
    db->fPath = posixPath;
    db->fDisplayName = posixPath.substr(posixPath.find_last_of('/') + 1);
    db->ReadIdentity(c.db, posixPath);
    auto damaged = [&](const std::string& why) {
        error = posixPath + ": not a readable Tessaron file (" + why + ")";
        return nullptr;
    };
    // Every value read is checked for its type and range: a NULL, a text where a number
    // belongs or a number that does not fit is damage, never a default or a crash.
    {
        Statement meta(c.db, "SELECT key, value FROM meta");
        if (!meta) return damaged(c.Error());
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
        if (rc != SQLITE_DONE) return damaged(c.Error());
        if (!formatOk) return damaged("unknown format");
        if (!root) return damaged("no root object");
        if (!next) return damaged("no next UID");
        db->fRoot = UID(static_cast<uint32>(root));
        db->fNextUID = static_cast<uint32>(next);
    }
    {
        Statement objects(c.db, "SELECT uid, class FROM objects");
        if (!objects) return damaged(c.Error());
        int rc;
        while ((rc = sqlite3_step(objects.stmt)) == SQLITE_ROW) {
            sqlite3_int64 uid = 0, cls = 0;
            if (!IntegerAt(objects.stmt, 0, kFirstUID, kLastUID, uid)) return damaged("an object's UID is not a valid UID");
            if (!IntegerAt(objects.stmt, 1, 1, kMaxID, cls)) return damaged("object " + std::to_string(uid) + " has no valid class");
            if (!db->fClasses.emplace(UID(static_cast<uint32>(uid)), ClassID(static_cast<uint32>(cls))).second)
                return damaged("object " + std::to_string(uid) + " is there twice");
        }
        if (rc != SQLITE_DONE) return damaged(c.Error());
    }
    {
        Statement data(c.db, "SELECT uid, impl, bytes FROM data");
        if (!data) return damaged(c.Error());
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
        if (rc != SQLITE_DONE) return damaged(c.Error());
    }
    if (!db->fClasses.count(db->fRoot)) return damaged("no root object");
    // A next UID at or below one in use would hand that UID out again. The largest UID in use
    // is at most kLastUID, so one past it still fits.
    if (!db->fClasses.empty() && db->fClasses.rbegin()->first.Get() >= db->fNextUID)
        db->fNextUID = db->fClasses.rbegin()->first.Get() + 1;
    return db;
}

void DataBase::ReadIdentity(sqlite3* db, const std::string& path) {
    // Damage here shows when the rest is read; an identity that cannot be read is none.
    Statement identity(db, "SELECT value FROM meta WHERE key = 'id'");
    if (identity && sqlite3_step(identity.stmt) == SQLITE_ROW && sqlite3_column_type(identity.stmt, 0) == SQLITE_TEXT)
        fIdentity = reinterpret_cast<const char*>(sqlite3_column_text(identity.stmt, 0));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        fDevice = st.st_dev;
        fInode = st.st_ino;
    }
}

DataBase::~DataBase() {
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
    if (!BossClasses::Get().Exists(cls) || fNextUID > kLastUID) return kInvalidUID;
    UID uid(fNextUID++);
    fClasses[uid] = cls;
    fUnsavedObjects[uid] = true;
    return uid;
}

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
}

ErrorCode DataBase::Save(std::string& error) {
    if (fPath.empty()) {
        error = fDisplayName + ": has no file yet";
        return kFailure;
    }
    return Write(fPath, false, false, error);
}

ErrorCode DataBase::SaveAs(const std::string& posixPath, std::string& error, bool privateFile) {
    return Write(posixPath, posixPath != fPath, privateFile, error);
}

ErrorCode DataBase::Write(const std::string& path, bool everything, bool privateFile, std::string& error) {
    fReplacedFile = false;
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
    if (!everything) {
        int written = WriteChanges(path, changed, privateFile, error);
        if (written < 0) return kFailure;
        if (written > 0) return kSuccess;
        fReplacedFile = true;
    }
    return WriteAfresh(path, std::move(changed), privateFile, error);
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
    if (sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        if (::stat(path.c_str(), &st) != 0) return 0;
        return fail("cannot be opened for writing");
    }
    sqlite3_busy_timeout(c.db, 2000);
    if (!c.Exec("PRAGMA journal_mode=WAL") || !c.Exec("PRAGMA synchronous=FULL")) return fail("cannot be written");
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
    ::close(fd);
    auto fail = [&](const std::string& what) {
        ::unlink(temp.c_str());
        error = path + ": " + what;
        return kFailure;
    };
    const std::string id = NewIdentity();
    {
        Connection c;
        auto failed = [&] { return fail("cannot be written: " + c.Error()); };
        if (sqlite3_open_v2(temp.c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return failed();
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
    // A write-ahead log or index left beside the path belongs to the file being replaced;
    // SQLite would replay it into the new one.
    ::unlink((path + "-wal").c_str());
    ::unlink((path + "-shm").c_str());
    if (FileCalls::Get().rename(temp.c_str(), path.c_str()) != 0) return fail("cannot be replaced: " + std::string(std::strerror(errno)));
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
    if (everything && !exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value);"
                            "CREATE TABLE objects(uid INTEGER PRIMARY KEY, class INTEGER NOT NULL);"
                            "CREATE TABLE data(uid INTEGER NOT NULL, impl INTEGER NOT NULL, bytes BLOB NOT NULL,"
                            " PRIMARY KEY(uid, impl));"))
        return false;
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
    if (::stat(path.c_str(), &st) == 0) {
        fDevice = st.st_dev;
        fInode = st.st_ino;
    }
    if (fPath != path) {
        fPath = path;
        fDisplayName = path.substr(path.find_last_of('/') + 1);
    }
}

}  // namespace tshost
