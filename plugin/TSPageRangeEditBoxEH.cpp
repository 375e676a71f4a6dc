#include "CPMUnknown.h"
#include "IEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Announces each change of the send dialog's page-range box.
class TSPageRangeEditBoxEH : public CPMUnknown<IEventHandler> {
public:
    explicit TSPageRangeEditBoxEH(IPMUnknown* boss) : CPMUnknown<IEventHandler>(boss) {}
};

CREATE_PMINTERFACE(TSPageRangeEditBoxEH, kTSPageRangeEditBoxEHImpl);
