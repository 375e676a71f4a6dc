#include "CPMUnknown.h"
#include "IDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The send dialog's controller.
class TSDialogController : public CPMUnknown<IDialogController> {
public:
    explicit TSDialogController(IPMUnknown* boss) : CPMUnknown<IDialogController>(boss) {}
};

CREATE_PMINTERFACE(TSDialogController, kTSDialogControllerImpl);
