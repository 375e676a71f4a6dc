#include "SDKFileHelper.h"

#include "CreateObject.h"
#include "FileUtils.h"
#include "ISelectFolderDialog.h"
#include "InterfacePtr.h"
#include "SysFileList.h"

namespace {

constexpr ClassID kSelectFolderDialogClass{0xE1C};

}  // namespace

SDKFolderChooser::SDKFolderChooser() { SetTitle(PMString("Choose a Folder")); }

void SDKFolderChooser::SetTitle(const PMString& title) {
    fTitle = title;
    fTitle.Translate();
}

void SDKFolderChooser::ShowDialog() {
    fChosen = kFalse;
    InterfacePtr<ISelectFolderDialog> dialog(
        static_cast<ISelectFolderDialog*>(CreateObject(kSelectFolderDialogClass, IID_OF<ISelectFolderDialog>())));
    if (!dialog) return;
    dialog->SetUp(ISelectFolderDialog::kChooseOneFolder);
    SysFileList files;
    const bool16 confirmed = dialog->DoDialog(&files, fTitle, nullptr, kFalse, nullptr);
    if (!confirmed || files.GetFileCount() != 1) return;
    fFile = *files.GetNthFile(0);
    FileUtils::SysFileToPMString(fFile, fPath);
    fChosen = kTrue;
}
