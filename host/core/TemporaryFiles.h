// The temporary files and folders the host and its plug-ins have made and will remove
// themselves, kept in a fixed table so that a signal that ends the process at once can still
// remove them (RemoveTemporaryFiles): a half-written export in the user's folder, or an
// upload's copy of a document in the temporary folder, must not outlive the process.
//
// Threading: KeepTemporaryFile and ForgetTemporaryFile may be called from any thread;
// RemoveTemporaryFiles is async-signal-safe (atomics, unlink and rmdir only) and is meant for a
// signal handler. A path being kept or forgotten at the very moment of the signal may be missed.
#pragma once

#include <string_view>

namespace tshost {

// Adds a POSIX path; false when it is too long or the table is full (it is then not kept).
bool KeepTemporaryFile(std::string_view posixPath);
// Removes every entry for the path; nothing when there is none.
void ForgetTemporaryFile(std::string_view posixPath);
// Unlinks every kept file, then removes every kept folder that is empty by then.
void RemoveTemporaryFiles();

}  // namespace tshost
