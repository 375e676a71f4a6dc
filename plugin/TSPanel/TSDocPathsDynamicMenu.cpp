#include "CPMUnknown.h"
#include "IDynamicMenu.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// The dynamic menu of documents sent to the selected project.
class TSDocPathsDynamicMenu : public CPMUnknown<IDynamicMenu> {
public:
    explicit TSDocPathsDynamicMenu(IPMUnknown* boss) : CPMUnknown<IDynamicMenu>(boss) {}
    void RebuildMenu(ActionID, IPMUnknown*) override {}
};

CREATE_PMINTERFACE(TSDocPathsDynamicMenu, kTSDocPathsDynamicMenuImpl);
