#include "CPMUnknown.h"
#include "IControlView.h"
#include "ITip.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSID.h"

// The tooltips of the projects panel's buttons, fixed English words shown as they stand.
class TSPanelBtnsToolTip : public CPMUnknown<ITip> {
public:
    explicit TSPanelBtnsToolTip(IPMUnknown* boss) : CPMUnknown<ITip>(boss) {}

    PMString GetTipText(const PMPoint&, TipWindowPlacementAdvice*) override {
        PMString tip;
        InterfacePtr<IControlView> view(this, IID_OF<IControlView>());
        if (view) {
            WidgetID widget = view->GetWidgetID();
            if (widget == kTSUploadButtonWidgetID)
                tip.SetString("Upload");
            else if (widget == kTSRefreshButtonWidgetID)
                tip.SetString("Refresh");
            else if (widget == kTSLinkButtonWidgetID)
                tip.SetString("Link");
        }
        tip.SetTranslatable(kFalse);
        return tip;
    }
};

CREATE_PMINTERFACE(TSPanelBtnsToolTip, kTSPanelBtnsToolTipImpl);
