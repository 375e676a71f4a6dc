#include "FileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "TemporaryFiles.h"
#include "platform/HfsPath.h"

namespace fs = std::filesystem;

std::string FileUtils::GetPosixPath(const IDFile& file) {
    std::string posix;
    if (file.IsEmpty() || !tsplatform::HfsToPosix(file.GetPath(), posix)) return {};
    return posix;
}

IDFile FileUtils::FromPosixPath(const std::string& posixPath) {
    std::string hfs;
    if (posixPath.empty() || !tsplatform::PosixToHfs(posixPath, hfs)) return IDFile();
    return IDFile(hfs);
}

bool16 FileUtils::DoesFileExist(const IDFile& file) {
    std::string posix = GetPosixPath(file);
    struct stat st {};
    return !posix.empty() && ::stat(posix.c_str(), &st) == 0 ? kTrue : kFalse;
}

bool16 FileUtils::CreateFolderIfNeeded(const IDFile& folder, bool16 makeParents) {
    std::string posix = GetPosixPath(folder);
    if (posix.empty()) return kFalse;
    std::error_code ec;
    if (fs::is_directory(posix, ec)) return kTrue;
    bool made = makeParents ? fs::create_directories(posix, ec) : fs::create_directory(posix, ec);
    return made || fs::is_directory(posix, ec) ? kTrue : kFalse;
}

bool16 FileUtils::CopyFile(const IDFile& from, const IDFile& to) {
    std::string source = GetPosixPath(from), target = GetPosixPath(to);
    if (source.empty() || target.empty()) return kFalse;
    // Copy beside the target and rename over it, so the target is never seen half-written.
    std::string temp = target + ".part-" + std::to_string(::getpid());
    std::error_code ec;
    if (!fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(temp, ec);
        return kFalse;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return kFalse;
    }
    return kTrue;
}

void FileUtils::PMStringToIDFile(const PMString& path, IDFile& file) { file.SetPath(path.GetUTF8String()); }

void FileUtils::IDFileToPMString(const IDFile& file, PMString& path) {
    path = PMString(tsplatform::StripHfsFolderMark(file.GetPath()), PMString::kNoTranslate);
}

void FileUtils::GetFileName(const IDFile& file, PMString& name) {
    std::string p = tsplatform::StripHfsFolderMark(file.GetPath());
    name = PMString(p.substr(p.find_last_of(':') + 1), PMString::kNoTranslate);
}

void FileUtils::GetExtension(const IDFile& file, PMString& extension) {
    PMString name;
    GetFileName(file, name);
    const std::string& n = name.GetUTF8String();
    std::size_t dot = n.find_last_of('.');
    extension = PMString(dot == std::string::npos ? std::string() : n.substr(dot + 1), PMString::kNoTranslate);
}

bool16 FileUtils::MarkTemporary(const std::string& posixPath) {
    return tshost::KeepTemporaryFile(posixPath) ? kTrue : kFalse;
}

void FileUtils::UnmarkTemporary(const std::string& posixPath) { tshost::ForgetTemporaryFile(posixPath); }
