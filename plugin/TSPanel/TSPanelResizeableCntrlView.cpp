#include "CPMUnknown.h"
#include "IControlView.h"
#include "IPMStream.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The projects panel's view, resizable within limits.
class TSPanelResizeableCntrlView : public CPMUnknown<IControlView> {
public:
    explicit TSPanelResizeableCntrlView(IPMUnknown* boss) : CPMUnknown<IControlView>(boss) {}
    void ReadWrite(IPMStream*, ImplementationID) {}

};

CREATE_PERSIST_PMINTERFACE(TSPanelResizeableCntrlView, kTSPanelResizableCtrlViewImpl);
