// Wrappers of the host's file dialogs. SDKFileHelper keeps the outcome of the last dialog:
// the chosen item and its path text in the host's form, and whether anything was chosen.
// SDKFolderChooser shows the host's one-folder chooser; a result counts only when the user
// confirmed and exactly one folder came back, otherwise the earlier outcome stays.
// A chooser lives for one dialog, on the user-interface thread only.
#pragma once

#include "IDFile.h"
#include "PMString.h"

class SDKFileHelper {
public:
    SDKFileHelper() = default;
    SDKFileHelper(const SDKFileHelper&) = default;
    SDKFileHelper& operator=(const SDKFileHelper&) = default;
    virtual ~SDKFileHelper() = default;

    bool16 IsChosen() const { return fChosen; }
    IDFile GetIDFile() const { return fFile; }
    const PMString& GetPath() const { return fPath; }

protected:
    PMString fPath;
    IDFile fFile;
    bool16 fChosen = kFalse;
};

class SDKFolderChooser : public SDKFileHelper {
public:
    SDKFolderChooser();

    // Stores the title, translated when it is a string key.
    void SetTitle(const PMString& title);
    const PMString& GetTitle() const { return fTitle; }
    // Shows the host's folder dialog and records its answer.
    void ShowDialog();

private:
    PMString fTitle;
};
