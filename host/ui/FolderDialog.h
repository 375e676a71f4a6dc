// The folder-selection dialog (class 0xE1C, ISelectFolderDialog 0xE1D). The console has no
// screen, so each DoDialog takes the next answer scripted in advance: cancel, or a list of
// folders (one or several). With no answer queued the dialog is cancelled, and the
// transcript says so. Each showing is recorded and shown:
//   [folder dialog] "Choose a Folder" -> /tmp/out      (or: -> cancelled)
// While it is shown a ModalScope is held. User-interface thread only.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "ISelectFolderDialog.h"

namespace tshost {

struct FolderAnswer {
    bool cancel = true;
    std::vector<std::string> posixFolders;
};

struct FolderDialogRecord {
    std::string title;  // as shown
    int32 kind = 0;     // the SetUp value
    FolderAnswer answer;
};

class FolderDialogScript {
public:
    static FolderDialogScript& Get();

    void Queue(FolderAnswer answer) { fAnswers.push_back(std::move(answer)); }
    int Pending() const { return static_cast<int>(fAnswers.size()); }
    const std::vector<FolderDialogRecord>& Records() const { return fRecords; }
    void Clear() { fAnswers.clear(); fRecords.clear(); }

    // Called by the dialog.
    FolderAnswer Take();
    void Record(FolderDialogRecord record) { fRecords.push_back(std::move(record)); }

private:
    std::deque<FolderAnswer> fAnswers;
    std::vector<FolderDialogRecord> fRecords;
};

class SelectFolderDialog final : public CPMUnknown<ISelectFolderDialog> {
public:
    explicit SelectFolderDialog(IPMUnknown* boss) : CPMUnknown<ISelectFolderDialog>(boss) {}
    void SetUp(int32 kind) override { fKind = kind; }
    bool16 DoDialog(SysFileList* files, const PMString& title, const IDFile* startFolder, bool16 allowNewFolder, void* reserved) override;

private:
    int32 fKind = 0;
};

}  // namespace tshost
