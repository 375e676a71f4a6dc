// The host's folder-selection dialog (class 0xE1C, IID 0xE1D), made with
// CreateObject(ClassID(0xE1C), PMIID(0xE1D)). SetUp chooses the kind: kChooseOneFolder (38)
// lets the user choose one folder. DoDialog shows it and returns kTrue when the user
// confirmed, with the chosen folders appended to `files` (the console answers in advance:
// cancel, one folder, or several). User-interface thread only.
#pragma once

#include "IDFile.h"
#include "IPMUnknown.h"
#include "PMString.h"

class SysFileList;

class ISelectFolderDialog : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xE1D };
    static constexpr int32 kChooseOneFolder = 38;

    virtual void SetUp(int32 kind) = 0;
    // `startFolder` (may be null) is where the dialog opens; `allowNewFolder` and `reserved`
    // are accepted for the caller's sake and change nothing here.
    virtual bool16 DoDialog(SysFileList* files, const PMString& title, const IDFile* startFolder = nullptr,
                            bool16 allowNewFolder = kFalse, void* reserved = nullptr) = 0;
};
