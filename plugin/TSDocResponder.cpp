#include "CPMUnknown.h"
#include "IResponder.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Responds to document signals for the usage log and the panel's buttons.
class TSDocResponder : public CPMUnknown<IResponder> {
public:
    explicit TSDocResponder(IPMUnknown* boss) : CPMUnknown<IResponder>(boss) {}
};

CREATE_PMINTERFACE(TSDocResponder, kTSDocResponderImpl);
