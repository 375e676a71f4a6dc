// Makes one of the host's own dialogs (the Preferences dialog's service provider, class
// 0x63c, answers it). The dialog is the host's, as with IDialogMgr. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDialog;

class IDialogCreator : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x62e };

    // Not counted; null when the dialog cannot be made.
    virtual IDialog* CreateDialog() = 0;
};
