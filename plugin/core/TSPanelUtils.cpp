#include "TSPanelUtils.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FileUtils.h"
#include "platform/Folders.h"
#include "platform/HfsPath.h"
#include "platform/Sysctl.h"
#include "platform/SystemInfo.h"

namespace {

// Longer settings-folder paths are taken as not found.
constexpr std::size_t kMaxFolderPathBytes = 1023;

// Writes `text` into `out` when it fits with its NUL; otherwise writes an empty string.
void CopyBounded(const std::string& text, char* out, std::size_t outSize) {
    if (outSize == 0) return;
    if (text.size() >= outSize) {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
}

}  // namespace

bool TSPanelUtils::GetAsUnixPath(const char* hfsPath, char* out, std::size_t outSize) {
    if (!hfsPath || !out) return false;
    std::string posix;
    tsplatform::HfsToPosix(hfsPath, posix);
    CopyBounded(posix, out, outSize);
    return true;
}

bool TSPanelUtils::GetAsMacPath(const char* posixPath, char* out, std::size_t outSize) {
    if (!posixPath || !out) return false;
    std::string hfs;
    tsplatform::PosixToHfs(posixPath, hfs);
    CopyBounded(hfs, out, outSize);
    return true;
}

bool TSPanelUtils::GetAsMacName(const PMString& posixName, PMString& hostName) {
    hostName = PMString();
    hostName.SetTranslatable(kFalse);
    const std::string& name = posixName.GetUTF8String();
    // As the last name of a path the conversion checks it like any other, and gives it back
    // after the volume's name and its ":".
    std::string hfs;
    if (name.empty() || name.find('/') != std::string::npos || !tsplatform::PosixToHfs("/" + name, hfs)) return false;
    const std::size_t colon = hfs.find(':');
    if (colon == std::string::npos || colon + 1 >= hfs.size()) return false;
    hostName.SetString(std::string_view(hfs).substr(colon + 1));
    return true;
}

PMString TSPanelUtils::GetTessaronFolderPath() {
    PMString result;
    result.SetTranslatable(kFalse);
    std::string support = tsplatform::ApplicationSupportFolder();
    // Without an application-support folder there is no settings folder: the result stays
    // empty rather than naming a folder at the filesystem root.
    if (support.empty() || support == "/") return result;
    std::string folder = support + "/Tessaron";
    if (folder.size() > kMaxFolderPathBytes) return result;
    char hfs[kMacPathSize] = {};
    GetAsMacPath(folder.c_str(), hfs);
    if (hfs[0] == '\0') return result;
    FileUtils::CreateFolderIfNeeded(IDFile(hfs));
    result.SetString(folder);
    return result;
}

bool16 TSPanelUtils::GetTSProjectsFilePath(PMString& out) {
    PMString folder = GetTessaronFolderPath();
    out = PMString();
    out.SetTranslatable(kFalse);
    if (folder.IsEmpty()) return kFalse;
    out = folder;
    out.Append("/projects.xml");
    char hfs[kMacPathSize] = {};
    GetAsMacPath(out.GrabCString(), hfs);
    return hfs[0] != '\0' && FileUtils::DoesFileExist(IDFile(hfs)) ? kTrue : kFalse;
}

void TSPanelUtils::GetSystemOSInfo(PMString& text) {
    int mib[2] = {tsplatform::CTL_HW, tsplatform::HW_MODEL};
    std::size_t size = 0;
    if (tsplatform::sysctl(mib, 2, nullptr, &size, nullptr, 0) != 0 || size == 0) {
        text.Append("Unknown Mac Operating System");
        return;
    }
    std::vector<char> model(size);
    if (tsplatform::sysctl(mib, 2, model.data(), &size, nullptr, 0) != 0) {
        text.Append("Unknown Mac Operating System");
        return;
    }
    // The model is held to 255 bytes, as the text buffer it ends up in; the cut never splits a
    // character.
    PMString value(std::string(model.data(), strnlen(model.data(), model.size())), PMString::kNoTranslate);
    value.Truncate(255);
    text.Append(value);
}

void TSPanelUtils::GetSystemDetails(PMString& userName, PMString& workStation, PMString& cpu, PMString& ram,
                                    PMString& screen) {
    std::string user = tsplatform::UserFullName();
    userName.Append(user.empty() ? std::string("UserName can't be identified") : user);

    std::string machine = tsplatform::MachineName();
    workStation.Append(machine.empty() ? std::string("WorkStation can't be identified") : machine);

    // The full 64-bit memory size: a 32-bit reading tops out at 2 GB and would report any
    // larger machine as "1 GB".
    int memMib[2] = {tsplatform::CTL_HW, tsplatform::HW_MEMSIZE};
    int64 memory = 0;
    std::size_t memSize = sizeof memory;
    if (tsplatform::sysctl(memMib, 2, &memory, &memSize, nullptr, 0) == 0) {
        ram.AppendNumber(memory / 1073741824LL);
        ram.Append(" GB");
    } else {
        ram.Append("Unable to get the RAM size");
    }

    cpu.Append("Unable to determine the processor name");
    cpu.Append(", No. of Processors = ");
    int cpuMib[2] = {tsplatform::CTL_HW, tsplatform::HW_NCPU};
    int32 processors = 0;
    std::size_t cpuSize = sizeof processors;
    if (tsplatform::sysctl(cpuMib, 2, &processors, &cpuSize, nullptr, 0) == 0)
        cpu.AppendNumber(processors);
    else
        cpu.Append("Unable to get processor count");
    cpu.Append(", Speed = ");
    cpu.Append("speed can't be detected");

    screen.Append("Not able to detect the screen resolution");
}
