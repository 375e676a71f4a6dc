// A VFS around SQLite's default one, made the default while installed, whose writes and syncs
// first ask the test's hooks: a hook returns SQLITE_OK to let the call through (after
// whatever it did, such as waiting, to make the disk slow) or an error code to make it fail.
// Together with FileCalls it reaches every write and flush of a save. Used by the save tests
// and by a test plug-in that makes a running host's disk slow.
// Install and remove only while no database is open; the hooks run on the thread that saves.
#pragma once

#include <sqlite3.h>

namespace tstest {

struct VfsHooks {
    int (*write)() = nullptr;  // null: every call goes through
    int (*sync)() = nullptr;
};

namespace wrappedvfs {

inline sqlite3_vfs* gDefault = nullptr;
inline sqlite3_vfs gVfs;
inline sqlite3_io_methods gMethods;
inline VfsHooks gHooks;

struct File {
    sqlite3_file base;
    sqlite3_file* real;  // in the same allocation, right after this
};
inline sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

inline int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* wrapped = reinterpret_cast<File*>(file);
    wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
    int rc = gDefault->xOpen(gDefault, name, wrapped->real, flags, outFlags);
    wrapped->base.pMethods = wrapped->real->pMethods ? &gMethods : nullptr;
    return rc;
}

}  // namespace wrappedvfs

inline void InstallWrappedVfs(VfsHooks hooks) {
    using namespace wrappedvfs;
    gHooks = hooks;
    if (gDefault) return;
    gDefault = sqlite3_vfs_find(nullptr);
    gVfs = *gDefault;
    gVfs.zName = "tessaron-wrapped";
    gVfs.szOsFile = static_cast<int>(sizeof(File)) + gDefault->szOsFile;
    gVfs.pNext = nullptr;
    gVfs.xOpen = Open;
    sqlite3_io_methods& m = gMethods;
    m.iVersion = 3;
    m.xClose = [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); };
    m.xRead = [](sqlite3_file* f, void* p, int n, sqlite3_int64 at) { return Real(f)->pMethods->xRead(Real(f), p, n, at); };
    m.xWrite = [](sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
        int rc = gHooks.write ? gHooks.write() : SQLITE_OK;
        return rc != SQLITE_OK ? rc : Real(f)->pMethods->xWrite(Real(f), p, n, at);
    };
    m.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); };
    m.xSync = [](sqlite3_file* f, int flags) {
        int rc = gHooks.sync ? gHooks.sync() : SQLITE_OK;
        return rc != SQLITE_OK ? rc : Real(f)->pMethods->xSync(Real(f), flags);
    };
    m.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); };
    m.xLock = [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xLock(Real(f), lock); };
    m.xUnlock = [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xUnlock(Real(f), lock); };
    m.xCheckReservedLock = [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); };
    m.xFileControl = [](sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); };
    m.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    m.xDeviceCharacteristics = [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); };
    m.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
    };
    m.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); };
    m.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    m.xShmUnmap = [](sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); };
    m.xFetch = [](sqlite3_file* f, sqlite3_int64 at, int n, void** out) { return Real(f)->pMethods->xFetch(Real(f), at, n, out); };
    m.xUnfetch = [](sqlite3_file* f, sqlite3_int64 at, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), at, p); };
    sqlite3_vfs_register(&gVfs, 1);
}

inline void RemoveWrappedVfs() {
    using namespace wrappedvfs;
    gHooks = VfsHooks{};
    if (!gDefault) return;
    sqlite3_vfs_unregister(&gVfs);
    gDefault = nullptr;
}

}  // namespace tstest
