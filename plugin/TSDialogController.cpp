#include "CDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The send dialog's controller.
class TSDialogController : public CDialogController {
public:
    explicit TSDialogController(IPMUnknown* boss) : CDialogController(boss) {}
};

CREATE_PMINTERFACE(TSDialogController, kTSDialogControllerImpl);
