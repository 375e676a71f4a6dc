// A menu whose items a plug-in rebuilds each time before the menu is shown. The plug-in's
// resource file names the menu path and the class of the boss that answers this interface
// ("menus": [{"path": …, "dynamic": class}]); the host keeps one boss per class (the same
// one its action component lives on) and calls RebuildMenu before it shows that path's
// menu, pop-ups included. `action` is kInvalidActionID; `widget` the widget a pop-up came
// from, else null. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDynamicMenu : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20007 };

    virtual void RebuildMenu(ActionID action, IPMUnknown* widget) = 0;
};
