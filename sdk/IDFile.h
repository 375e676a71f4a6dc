// A file reference. It holds the path in the host's own form: colon-separated, starting
// with the volume name ("Macintosh HD:Users:ana:Flyer.indd"). FileUtils converts between
// this form, PMString and POSIX paths. Plain value: any thread may use its own copies.
#pragma once

#include <string>

class IDFile {
public:
    IDFile() = default;
    explicit IDFile(std::string hostPath) : fPath(std::move(hostPath)) {}
    const std::string& GetPath() const { return fPath; }
    void SetPath(std::string hostPath) { fPath = std::move(hostPath); }
    bool IsEmpty() const { return fPath.empty(); }
    bool operator==(const IDFile&) const = default;

private:
    std::string fPath;
};

using SysFile = IDFile;
