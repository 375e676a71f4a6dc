// Gives the tooltip text of a widget: the host asks the widget's boss when the mouse rests
// on it and shows the text returned (translated at display when still translatable; "" shows
// no tip). User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMPoint.h"
#include "PMString.h"

// Where the tip window should go; the host fills in its proposal, a tip may change it.
struct TipWindowPlacementAdvice {
    enum Placement { kDefault = 0, kBelowMouse = 1, kAboveMouse = 2 };
    Placement placement = kDefault;
};

class ITip : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20008 };

    virtual PMString GetTipText(const PMPoint& mouseLocation, TipWindowPlacementAdvice* placement = nullptr) = 0;
};
