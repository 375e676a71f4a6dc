// A window of the host: a dialog's or a palette's. Its title is what the user reads in the
// title bar (translated at display when still translatable). User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IWindow : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x112 };

    virtual void SetTitle(const PMString& title) = 0;
    virtual PMString GetTitle() const = 0;
};
