#include "CPMUnknown.h"
#include "IActionComponent.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Menu actions: About, Send, Preferences and the linked-document items.
class TSActionComponent : public CPMUnknown<IActionComponent> {
public:
    explicit TSActionComponent(IPMUnknown* boss) : CPMUnknown<IActionComponent>(boss) {}
};

CREATE_PMINTERFACE(TSActionComponent, kTSActionComponentImpl);
