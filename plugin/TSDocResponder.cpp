#include "CResponder.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Responds to document signals for the usage log and the panel's buttons.
class TSDocResponder : public CResponder {
public:
    explicit TSDocResponder(IPMUnknown* boss) : CResponder(boss) {}
};

CREATE_PMINTERFACE(TSDocResponder, kTSDocResponderImpl);
