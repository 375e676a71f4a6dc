// A database of persistent bosses: the session workspace or one document. In memory it
// holds every boss by UID and the stored bytes of every persistent implementation; on disk it
// is one SQLite file. A save writes every dirty implementation in one transaction, so a crash
// during a save leaves the file as it was before the save or as it is after it.
// A save writes with a rollback journal, so that after it the file alone holds the whole
// database and nothing is left beside it; one that cannot write (a read-only folder or file)
// fails and says so.
// One run of the host owns a file at a time: a database holds a lock (flock, which the system
// drops with the process) on the file it was read from or last wrote for as long as it
// lives. A file another run holds is read all the same, but not saved into: the save says
// why, and a save-as to another file goes on. Nor is a file another run holds replaced.
// Such a save writes only into the file this database was read from or last written to: each
// save stores a new identity in the file, and the file's device and inode are kept. When the file at the
// path is another one (deleted, replaced or damaged meanwhile), the whole database is written to a new
// file beside it, which is then renamed over the path; a save to a new path does the same.
// Opening a file, and a save that failed, remove what earlier saves of the same file that
// were cut short left beside it (not every save: that would list the folder each time).
// PreDirty marks the database modified and records the pre-image for undo.
// User-interface thread only.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Boss.h"
#include "IDataBase.h"

struct sqlite3;

namespace tshost {

class DataBase final : public IDataBase {
public:
    // A new database with no file, whose root object is a new boss of `rootClass`.
    static std::unique_ptr<DataBase> CreateNew(ClassID rootClass, std::string displayName);
    // Why a file could not be opened: nothing at the path; something that is not a file (a
    // folder, a FIFO, a link to nothing or a loop of links); a file that cannot be reached
    // or read (permissions, I/O); a damaged file; or a sound file with a journal or log beside
    // it that would damage it if played back.
    enum class OpenFailure { kNone, kMissing, kNotAFile, kUnreadable, kDamaged, kForeignJournal };

    // What the caller asks of a database beyond the host's own checks (the kind of its root
    // object, say); false with `why` refuses it as damaged.
    using Acceptable = std::function<bool(const DataBase& db, std::string& why)>;

    // Opens a database file; null with `error` naming the file and the problem, and with
    // `failure` its kind. A file whose structure is not whole, whose tables, columns, keys
    // or indexes are not the host's own, that holds anything else (triggers, views), that
    // SQLite could read but never write, or with any damaged value (a NULL, a text where a
    // number belongs, an ID or UID out of range) is refused as "not a readable Tessaron
    // file". Opening creates nothing beside the file: where the host cannot write, the file
    // is read on its own.
    // A journal or write-ahead log beside the file (what a save cut short left) is played
    // back only when that gives a sound file: the two are first copied to a private folder and
    // the copy opened and checked. Otherwise the file is refused, naming the journal, and both
    // are left as they are: a journal is played into whatever file carries its name, which
    // may be another file put in its place since.
    static std::unique_ptr<DataBase> Open(const std::string& posixPath, std::string& error,
                                          OpenFailure* failure = nullptr, const Acceptable& acceptable = {});
    ~DataBase() override;

    IPMUnknown* Instantiate(UID uid, PMIID interfaceID) override;
    UID GetRootUID() const override { return fRoot; }
    bool16 IsModified() const override { return fModified ? kTrue : kFalse; }
    void SetModified(bool16 modified) override {
        fModified = modified != kFalse;
        if (fModified) ++fChanges;
    }
    // Counts the changes made since the database was made or read: a caller whose save
    // failed can tell whether there is anything new to try again with.
    uint64 Changes() const { return fChanges; }
    bool16 GetSysFile(IDFile& file) const override;

    // A new object of `cls`; kInvalidUID when the class is unknown or every UID is used.
    UID NewObject(ClassID cls);
    bool UIDsUsedUp() const;
    // The boss of a UID, instantiated if needed; not counted. Null for an unknown UID.
    Boss* GetBoss(UID uid);
    ClassID GetClass(UID uid) const;
    // Every object's UID, in ascending order.
    std::vector<UID> UIDs() const;

    // Writes the dirty implementations to the database's file.
    ErrorCode Save(std::string& error);
    // Writes everything to `posixPath`, which becomes the database's file. Creates the file
    // readable by its owner only when `privateFile` is set.
    ErrorCode SaveAs(const std::string& posixPath, std::string& error, bool privateFile = false);
    const std::string& Path() const { return fPath; }
    const std::string& DisplayName() const { return fDisplayName; }
    // True after a save that found the file at its path was no longer this database's and so
    // wrote the whole database there afresh.
    bool LastSaveReplacedFile() const { return fReplacedFile; }
    // Why saves into the database's file are refused although the place is writable: another
    // run of the host has that file open. Empty when it may be saved.
    const std::string& HeldElsewhere() const { return fHeldElsewhere; }

    // Called by bosses. PreDirty of an implementation that is not persistent is refused and
    // reported.
    void LoadImplementation(Boss& boss, Boss::Slot& slot);
    void PreDirty(Boss& boss, Boss::Slot& slot);
    // Restores an implementation from bytes (undo and redo); marks it dirty.
    void Restore(UID uid, ImplementationID impl, const std::string& bytes);
    std::string CurrentBytes(UID uid, ImplementationID impl);
    // The bytes the file holds for an implementation; null when it holds none.
    const std::string* StoredBytes(UID uid, ImplementationID impl) const;

private:
    DataBase() = default;
    static std::unique_ptr<DataBase> Read(const std::string& posixPath, std::string& error, OpenFailure& failure,
                                          const Acceptable& acceptable, bool checkSideFiles);
    // Whether playing back what lies beside the file gives a sound database: kNone when it
    // does (or nothing lies there), else why not in `why`.
    static OpenFailure CheckSideFiles(const std::string& posixPath, const Acceptable& acceptable, std::string& why);
    using Rows = std::map<std::pair<UID, ImplementationID>, std::string>;
    ErrorCode Write(const std::string& posixPath, bool everything, bool privateFile, std::string& error);
    // 1: written; 0: the file is not this database's, nothing written; -1: failed.
    int WriteChanges(const std::string& posixPath, Rows changed, bool privateFile, std::string& error);
    ErrorCode WriteAfresh(const std::string& posixPath, Rows changed, bool privateFile, std::string& error);
    bool WriteRows(sqlite3* db, bool everything, const std::string& id, const Rows& changed);
    // Removes what earlier saves of the file at `path` that were cut short left beside it.
    static void RemoveLeftovers(const std::string& path);
    void Saved(const std::string& posixPath, const std::string& id, Rows& changed);
    void ReadIdentity(sqlite3* db, const std::string& posixPath);
    // The file's identity, size and modification time as the host last read or wrote it, and
    // whether `st` shows the file unchanged since: the check of its structure before a save
    // into it is needed only when it changed.
    void Remember(const struct stat& st);
    bool Unchanged(const struct stat& st) const;

    std::string fPath;
    std::string fDisplayName;
    UID fRoot;
    uint32 fNextUID = 1;
    bool fModified = false;
    uint64 fChanges = 0;
    bool fReplacedFile = false;
    int fLockFd = -1;  // open on the file this database holds, with its lock
    std::string fHeldElsewhere;
    // Which file is ours: the identity stored in it when last read or written (empty for files
    // written before identities were), and its device and inode then.
    std::string fIdentity;
    dev_t fDevice = 0;
    ino_t fInode = 0;
    off_t fSize = -1;
    struct timespec fModifiedAt {};
    std::map<UID, ClassID> fClasses;
    std::map<UID, Boss*> fBosses;  // each holds one reference for the database
    std::map<std::pair<UID, ImplementationID>, std::string> fStored;
    std::map<UID, bool> fUnsavedObjects;
};

}  // namespace tshost
