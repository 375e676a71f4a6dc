#include "IPMStream.h"
#include "ImplementationRecord.h"
#include "PalettePanelView.h"
#include "TSID.h"

// The projects panel's view: the base's view, kept within the sizes the panel's layout
// works in. The limits are widened by a hair so that a size the host computed as a limit
// plus rounding noise is left as it is.
class TSPanelResizeableCntrlView : public PalettePanelView {
public:
    explicit TSPanelResizeableCntrlView(IPMUnknown* boss) : PalettePanelView(boss) {}

    PMPoint ConstrainDimensions(const PMPoint& desired) const override {
        constexpr PMReal kSlack = 0.00000001;
        constexpr PMReal kMinWidth = 400, kMaxWidth = 1100, kMinHeight = 380, kMaxHeight = 700;
        PMPoint size = desired;
        if (size.X() > kMaxWidth + kSlack)
            size.X(kMaxWidth);
        else if (size.X() < kMinWidth - kSlack)
            size.X(kMinWidth);
        if (size.Y() > kMaxHeight + kSlack)
            size.Y(kMaxHeight);
        else if (size.Y() < kMinHeight - kSlack)
            size.Y(kMinHeight);
        return size;
    }

    void ReadWrite(IPMStream* stream, ImplementationID implID) { PalettePanelView::ReadWrite(stream, implID); }
};

CREATE_PERSIST_PMINTERFACE(TSPanelResizeableCntrlView, kTSPanelResizableCtrlViewImpl);
