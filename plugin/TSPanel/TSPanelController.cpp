#include "CPMUnknown.h"
#include "IDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The projects panel's controller.
class TSPanelController : public CPMUnknown<IDialogController> {
public:
    explicit TSPanelController(IPMUnknown* boss) : CPMUnknown<IDialogController>(boss) {}
};

CREATE_PMINTERFACE(TSPanelController, kTSPanelControllerImpl);
