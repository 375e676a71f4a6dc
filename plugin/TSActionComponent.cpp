#include "CActionComponent.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Menu actions: About, Send, Preferences and the linked-document items.
class TSActionComponent : public CActionComponent {
public:
    explicit TSActionComponent(IPMUnknown* boss) : CActionComponent(boss) {}
};

CREATE_PMINTERFACE(TSActionComponent, kTSActionComponentImpl);
