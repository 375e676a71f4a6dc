#include "FolderDialog.h"

#include "FileUtils.h"
#include "HostModule.h"
#include "Modal.h"
#include "SysFileList.h"
#include "Transcript.h"
#include "UiIDs.h"

namespace tshost {

namespace {

HostModule gModule("ui folder dialog", 21, [] {
    RegisterHostImplementation(HostImplementation<SelectFolderDialog>(kSelectFolderDialogImpl));
    DefineHostClass(kSelectFolderDialogBoss, "kSelectFolderDialogBoss", kInvalidClass,
                    {{IID_OF<ISelectFolderDialog>(), kSelectFolderDialogImpl}});
    // Answers scripted for an earlier host are not this one's.
    FolderDialogScript::Get().Clear();
});

}  // namespace

FolderDialogScript& FolderDialogScript::Get() {
    static FolderDialogScript script;
    return script;
}

FolderAnswer FolderDialogScript::Take() {
    if (fAnswers.empty()) return FolderAnswer{};
    FolderAnswer answer = std::move(fAnswers.front());
    fAnswers.pop_front();
    return answer;
}

bool16 SelectFolderDialog::DoDialog(SysFileList* files, const PMString& title, const IDFile*, bool16, void*) {
    ModalScope modal;
    std::string shown = DisplayText(title);
    bool scripted = FolderDialogScript::Get().Pending() > 0;
    FolderAnswer answer = FolderDialogScript::Get().Take();
    FolderDialogScript::Get().Record(FolderDialogRecord{shown, fKind, answer});
    if (answer.cancel || answer.posixFolders.empty()) {
        Show("[folder dialog] \"" + shown + "\" -> cancelled" + (scripted ? "" : " (no answer given)"));
        return kFalse;
    }
    std::string list;
    for (const std::string& folder : answer.posixFolders) {
        if (files) files->Append(FileUtils::FromPosixPath(folder));
        list += (list.empty() ? "" : ", ") + folder;
    }
    Show("[folder dialog] \"" + shown + "\" -> " + list);
    return kTrue;
}

}  // namespace tshost
