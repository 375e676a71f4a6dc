#include "CDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The preferences page's controller.
class TSPrefsDlgController : public CDialogController {
public:
    explicit TSPrefsDlgController(IPMUnknown* boss) : CDialogController(boss) {}
};

CREATE_PMINTERFACE(TSPrefsDlgController, kTSPrefsDlgControllerImpl);
