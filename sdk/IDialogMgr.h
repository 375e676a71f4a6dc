// The dialog manager, asked of the application (IID 0x11c). CreateNewDialog builds a dialog
// from a plug-in's view resource: a dialog window holding the view's widget tree, with the
// plug-in's controller (0x62a) and observers on the view's boss. It is not shown until
// IDialog::Open. Returns null when the resource is no dialog view.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "RsrcSpec.h"

class IDialog;

class IDialogMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x11c };
    enum Modality { kModeless = 0, kModal = 1 };

    // `modality` kModal or kModeless; `hostOwned` and `centered` are taken as kTrue whatever
    // is passed (every dialog is the host's and the console has no screen).
    // Not counted: the host owns the dialog.
    virtual IDialog* CreateNewDialog(const RsrcSpec& spec, int32 modality = kModal, bool16 hostOwned = kTrue,
                                     bool16 centered = kTrue) = 0;
};
