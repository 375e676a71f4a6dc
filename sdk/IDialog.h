// A dialog window as the host made it (IDialogMgr::CreateNewDialog, IDialogCreator). The
// host owns it: the caller neither releases nor destroys it. Open shows it; a modal dialog
// stays up until OK or Cancel closes it, without blocking the caller (the console answers it
// later), and while it is up idle tasks do not run. The dialog's boss also answers
// IPanelControlData (its top panel is the only child) and IWindow.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IControlView;

class IDialog : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20400 };

    // `flags` is reserved: 0.
    virtual void Open(int32 flags = 0) = 0;
    // Closes without validating or applying (as if cancelled when `cancelled`).
    virtual void Close(bool16 cancelled = kTrue) = 0;
    virtual bool16 IsOpen() const = 0;
    // The dialog's top panel, built from its view resource; not counted.
    virtual IControlView* GetDialogPanel() const = 0;
};
