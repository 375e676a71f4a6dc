#include "CPMUnknown.h"
#include "IDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The preferences page's controller.
class TSPrefsDlgController : public CPMUnknown<IDialogController> {
public:
    explicit TSPrefsDlgController(IPMUnknown* boss) : CPMUnknown<IDialogController>(boss) {}
};

CREATE_PMINTERFACE(TSPrefsDlgController, kTSPrefsDlgControllerImpl);
