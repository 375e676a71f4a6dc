#include "CDialogController.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The projects panel's controller. The panel has no fields of its own to set up, check or
// apply: its buttons act through the panel's observer, its progress through the idle task.
class TSPanelController : public CDialogController {
public:
    explicit TSPanelController(IPMUnknown* boss) : CDialogController(boss) {}

    void InitializeDialogFields(IActiveContext* context) override { CDialogController::InitializeDialogFields(context); }
    WidgetID ValidateDialogFields(IActiveContext* context) override {
        return CDialogController::ValidateDialogFields(context);
    }
    void ApplyDialogFields(IActiveContext*, const WidgetID&) override {}
};

CREATE_PMINTERFACE(TSPanelController, kTSPanelControllerImpl);
