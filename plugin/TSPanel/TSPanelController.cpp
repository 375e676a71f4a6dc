#include "CDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The projects panel's controller.
class TSPanelController : public CDialogController {
public:
    explicit TSPanelController(IPMUnknown* boss) : CDialogController(boss) {}
};

CREATE_PMINTERFACE(TSPanelController, kTSPanelControllerImpl);
