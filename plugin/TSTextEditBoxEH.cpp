#include "MEditBoxEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Announces each change of the send dialog's user-input box.
class TSTextEditBoxEH : public CEditBoxEventHandler {
public:
    explicit TSTextEditBoxEH(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}
};

CREATE_PMINTERFACE(TSTextEditBoxEH, kTSTextEditBoxEHImpl);
