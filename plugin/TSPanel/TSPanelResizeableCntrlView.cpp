#include "PalettePanelView.h"
#include "IPMStream.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The projects panel's view, resizable within limits.
class TSPanelResizeableCntrlView : public PalettePanelView {
public:
    explicit TSPanelResizeableCntrlView(IPMUnknown* boss) : PalettePanelView(boss) {}
    void ReadWrite(IPMStream* stream, ImplementationID implID) { PalettePanelView::ReadWrite(stream, implID); }
};

CREATE_PERSIST_PMINTERFACE(TSPanelResizeableCntrlView, kTSPanelResizableCtrlViewImpl);
