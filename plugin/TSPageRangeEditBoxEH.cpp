#include "MEditBoxEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Announces each change of the send dialog's page-range box.
class TSPageRangeEditBoxEH : public CEditBoxEventHandler {
public:
    explicit TSPageRangeEditBoxEH(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}
};

CREATE_PMINTERFACE(TSPageRangeEditBoxEH, kTSPageRangeEditBoxEHImpl);
