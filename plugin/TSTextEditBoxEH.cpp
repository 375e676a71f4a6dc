#include "CPMUnknown.h"
#include "IEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Announces each change of the send dialog's user-input box.
class TSTextEditBoxEH : public CPMUnknown<IEventHandler> {
public:
    explicit TSTextEditBoxEH(IPMUnknown* boss) : CPMUnknown<IEventHandler>(boss) {}
};

CREATE_PMINTERFACE(TSTextEditBoxEH, kTSTextEditBoxEHImpl);
