// A list of file references, as the folder and file dialogs fill it. Plain value: any
// thread may use its own copies.
#pragma once

#include <vector>

#include "IDFile.h"
#include "PMTypes.h"

class SysFileList {
public:
    int32 GetFileCount() const { return static_cast<int32>(fFiles.size()); }
    // Null out of range.
    const SysFile* GetNthFile(int32 index) const {
        return index >= 0 && index < GetFileCount() ? &fFiles[static_cast<std::size_t>(index)] : nullptr;
    }
    void Append(const SysFile& file) { fFiles.push_back(file); }
    void Clear() { fFiles.clear(); }

private:
    std::vector<SysFile> fFiles;
};
