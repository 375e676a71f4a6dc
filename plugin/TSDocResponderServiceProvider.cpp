#include "CServiceProvider.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Registers the document responder for the document signals.
class TSDocResponderServiceProvider : public CServiceProvider {
public:
    explicit TSDocResponderServiceProvider(IPMUnknown* boss) : CServiceProvider(boss) {}
};

CREATE_PMINTERFACE(TSDocResponderServiceProvider, kTSDocResponderServiceProviderImpl);
