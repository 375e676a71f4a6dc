// SDK base of a palette panel's view. A plug-in overrides ConstrainDimensions to bound the
// panel's size; the host calls it while the user resizes the panel and applies the result.
// ReadWrite is the view's whole persistent form: a subclass that persists calls it.
// User-interface thread only.
#pragma once

#include "CControlView.h"

class PalettePanelView : public CControlView {
public:
    explicit PalettePanelView(IPMUnknown* boss) : CControlView(boss) {}

    void ReadWrite(IPMStream* stream, ImplementationID implID) { CControlView::ReadWrite(stream, implID); }
};
