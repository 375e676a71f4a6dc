#include "CPMUnknown.h"
#include "IServiceProvider.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Registers the document responder for the document signals.
class TSDocResponderServiceProvider : public CPMUnknown<IServiceProvider> {
public:
    explicit TSDocResponderServiceProvider(IPMUnknown* boss) : CPMUnknown<IServiceProvider>(boss) {}
};

CREATE_PMINTERFACE(TSDocResponderServiceProvider, kTSDocResponderServiceProviderImpl);
