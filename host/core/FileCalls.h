// The file-system calls a database save or a PDF export makes itself, beside those SQLite
// makes through its own layer: flushing a finished file to the disk and renaming it into
// place. They go through this table so that tests can make them fail, as they make SQLite's
// calls fail through a wrapped VFS. User-interface thread only; tests swap entries only while
// no save or export runs.
#pragma once

namespace tshost {

struct FileCalls {
    int (*sync)(int fd);
    int (*rename)(const char* from, const char* to);

    static FileCalls& Get();
    // The plain system calls.
    static FileCalls System();
};

}  // namespace tshost
