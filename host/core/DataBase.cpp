#include "DataBase.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "BossClasses.h"
#include "FileUtils.h"
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
    auto damaged = [&](const std::string& why) {
        error = posixPath + ": not a readable Tessaron file (" + why + ")";
        return nullptr;
    };
    {
        Statement meta(c.db, "SELECT key, value FROM meta");
        if (!meta) return damaged(c.Error());
        bool formatOk = false;
        int rc;
        while ((rc = sqlite3_step(meta.stmt)) == SQLITE_ROW) {
            std::string key = reinterpret_cast<const char*>(sqlite3_column_text(meta.stmt, 0));
            sqlite3_int64 value = sqlite3_column_int64(meta.stmt, 1);
            if (key == "format")
                formatOk = std::string(reinterpret_cast<const char*>(sqlite3_column_text(meta.stmt, 1))) == kFormat;
            else if (key == "root")
                db->fRoot = UID(static_cast<uint32>(value));
            else if (key == "next")
                db->fNextUID = static_cast<uint32>(value);
        }
        if (rc != SQLITE_DONE) return damaged(c.Error());
        if (!formatOk) return damaged("unknown format");
    }
    {
        Statement objects(c.db, "SELECT uid, class FROM objects");
        if (!objects) return damaged(c.Error());
        int rc;
        while ((rc = sqlite3_step(objects.stmt)) == SQLITE_ROW)
            db->fClasses[UID(static_cast<uint32>(sqlite3_column_int64(objects.stmt, 0)))] =
                ClassID(static_cast<uint32>(sqlite3_column_int64(objects.stmt, 1)));
        if (rc != SQLITE_DONE) return damaged(c.Error());
    }
    {
        Statement data(c.db, "SELECT uid, impl, bytes FROM data");
        if (!data) return damaged(c.Error());
        int rc;
        while ((rc = sqlite3_step(data.stmt)) == SQLITE_ROW) {
            UID uid(static_cast<uint32>(sqlite3_column_int64(data.stmt, 0)));
            ImplementationID impl(static_cast<uint32>(sqlite3_column_int64(data.stmt, 1)));
            const void* bytes = sqlite3_column_blob(data.stmt, 2);
            int size = sqlite3_column_bytes(data.stmt, 2);
            db->fStored[{uid, impl}] = bytes ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(size)) : std::string();
        }
        if (rc != SQLITE_DONE) return damaged(c.Error());
    }
    if (!db->fClasses.count(db->fRoot)) return damaged("no root object");
    for (const auto& [uid, cls] : db->fClasses)
        if (uid.Get() >= db->fNextUID) db->fNextUID = uid.Get() + 1;
    return db;
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
    if (!BossClasses::Get().Exists(cls)) return kInvalidUID;
    UID uid(fNextUID++);
    fClasses[uid] = cls;
    fUnsavedObjects[uid] = true;
    return uid;
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
    Boss* boss = GetBoss(uid);
    return boss ? boss->QueryInterface(interfaceID) : nullptr;
}

void DataBase::LoadImplementation(Boss& boss, Boss::Slot& slot) {
    auto it = fStored.find({boss.GetUID(), slot.impl});
    if (it == fStored.end()) return;
    if (Boss::Deserialize(slot, it->second)) return;
    // Damaged bytes: start the implementation over from its defaults, keeping what is stored
    // until the object is changed and saved.
    std::fprintf(stderr, "tessaron-host: %s: damaged data of object %u (implementation 0x%x); defaults used\n",
                 fPath.empty() ? fDisplayName.c_str() : fPath.c_str(), boss.GetUID().Get(), slot.impl.Get());
    slot.entry->destroy(slot.object);
    slot.object = slot.entry->create(slot.memory, &boss);
}

void DataBase::PreDirty(Boss& boss, Boss::Slot& slot) {
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
    if (privateFile) {
        int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            ::close(fd);
        }
    }
    // Current bytes of every changed implementation; kept aside until the transaction commits.
    std::map<std::pair<UID, ImplementationID>, std::string> fresh;
    for (auto& [uid, boss] : fBosses)
        for (const Boss::Slot& slot : boss->Slots())
            if (slot.entry->Persistent() && (slot.dirty || (everything && !fStored.count({uid, slot.impl}))))
                fresh[{uid, slot.impl}] = Boss::Serialize(slot);

    Connection c;
    auto fail = [&](const std::string& what) {
        error = path + ": " + what + ": " + c.Error();
        if (c.db) c.Exec("ROLLBACK");
        return kFailure;
    };
    if (sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return fail("cannot be opened for writing");
    sqlite3_busy_timeout(c.db, 2000);
    if (!c.Exec("PRAGMA journal_mode=WAL") || !c.Exec("PRAGMA synchronous=FULL")) return fail("cannot be written");
    if (!c.Exec("BEGIN IMMEDIATE")) return fail("cannot be written");
    if (!c.Exec("CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value);"
                "CREATE TABLE IF NOT EXISTS objects(uid INTEGER PRIMARY KEY, class INTEGER NOT NULL);"
                "CREATE TABLE IF NOT EXISTS data(uid INTEGER NOT NULL, impl INTEGER NOT NULL, bytes BLOB NOT NULL,"
                " PRIMARY KEY(uid, impl));"))
        return fail("cannot be written");
    if (everything && !c.Exec("DELETE FROM objects; DELETE FROM data;")) return fail("cannot be written");
    {
        Statement meta(c.db, "INSERT OR REPLACE INTO meta(key, value) VALUES (?1, ?2)");
        if (!meta) return fail("cannot be written");
        auto put = [&](const char* key, auto bind) {
            sqlite3_reset(meta.stmt);
            sqlite3_bind_text(meta.stmt, 1, key, -1, SQLITE_STATIC);
            bind();
            return sqlite3_step(meta.stmt) == SQLITE_DONE;
        };
        if (!put("format", [&] { sqlite3_bind_text(meta.stmt, 2, kFormat, -1, SQLITE_STATIC); }) ||
            !put("root", [&] { sqlite3_bind_int64(meta.stmt, 2, fRoot.Get()); }) ||
            !put("next", [&] { sqlite3_bind_int64(meta.stmt, 2, fNextUID); }))
            return fail("cannot be written");
    }
    {
        Statement obj(c.db, "INSERT OR REPLACE INTO objects(uid, class) VALUES (?1, ?2)");
        if (!obj) return fail("cannot be written");
        for (const auto& [uid, cls] : fClasses) {
            if (!everything && !fUnsavedObjects.count(uid)) continue;
            sqlite3_reset(obj.stmt);
            sqlite3_bind_int64(obj.stmt, 1, uid.Get());
            sqlite3_bind_int64(obj.stmt, 2, cls.Get());
            if (sqlite3_step(obj.stmt) != SQLITE_DONE) return fail("cannot be written");
        }
    }
    {
        Statement data(c.db, "INSERT OR REPLACE INTO data(uid, impl, bytes) VALUES (?1, ?2, ?3)");
        if (!data) return fail("cannot be written");
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
        for (const auto& [key, bytes] : fresh)
            if (!put(key, bytes)) return fail("cannot be written");
        if (everything)
            for (const auto& [key, bytes] : fStored)
                if (!fresh.count(key) && !put(key, bytes)) return fail("cannot be written");
    }
    if (!c.Exec("COMMIT")) return fail("cannot be written");

    for (auto& [key, bytes] : fresh) fStored[key] = std::move(bytes);
    for (auto& [uid, boss] : fBosses)
        for (Boss::Slot& slot : boss->Slots()) slot.dirty = false;
    fUnsavedObjects.clear();
    fModified = false;
    if (fPath != path) {
        fPath = path;
        fDisplayName = path.substr(path.find_last_of('/') + 1);
    }
    return kSuccess;
}

}  // namespace tshost
