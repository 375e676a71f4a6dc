// Files as the host sees them: IDFile in the host's colon-separated path form, PMString
// paths in the same form. Every conversion to and from POSIX paths goes through here.
// Safe on any thread: nothing here keeps state but the host's table of temporary files,
// which is safe on any thread too.
#pragma once

#include "IDFile.h"
#include "PMString.h"

class FileUtils {
public:
    static bool16 DoesFileExist(const IDFile& file);
    // Creates the folder and its missing parents; an empty reference does nothing and fails.
    static bool16 CreateFolderIfNeeded(const IDFile& folder, bool16 makeParents = kTrue);
    // Replaces `to` with a copy of `from`: written beside the target, then renamed over it.
    static bool16 CopyFile(const IDFile& from, const IDFile& to);
    static void PMStringToIDFile(const PMString& path, IDFile& file);
    static void PMStringToSysFile(const PMString& path, SysFile& file) { PMStringToIDFile(path, file); }
    static void IDFileToPMString(const IDFile& file, PMString& path);
    static void SysFileToPMString(const SysFile& file, PMString& path) { IDFileToPMString(file, path); }
    static void GetFileName(const IDFile& file, PMString& name);
    static void GetExtension(const IDFile& file, PMString& extension);
    // The POSIX form of the reference's path; empty when it cannot be converted.
    static std::string GetPosixPath(const IDFile& file);
    static IDFile FromPosixPath(const std::string& posixPath);
    // A temporary file or folder, by POSIX path, that must not outlive the host: should a
    // signal end the host before UnmarkTemporary, the host removes it (a folder only when it
    // is empty by then). False when the host could not take it on.
    static bool16 MarkTemporary(const std::string& posixPath);
    static void UnmarkTemporary(const std::string& posixPath);
};
