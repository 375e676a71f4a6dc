// Palette panels: the plug-ins' "panel" views, shown and hidden by their widget IDs. The
// state lives on the application boss (IPanelMgr, 0x682); the panel-manager utility that
// plug-ins reach with UtilsBoss::QueryUtils forwards to it.
//
// Show: build the panel from its view, restore the view's saved persistent data, make it
// known (QueryPanelByWidgetID finds it from now on), then AutoAttach every observer in it,
// panel first, then its widgets in order. Hide: AutoDetach in the reverse order, save the
// view's persistent data (its ReadWrite), forget it and drop it. Resize: the panel view's
// ConstrainDimensions decides the size applied. The saved view data lasts for the run.
// User-interface thread only.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "CPMUnknown.h"
#include "IPanelMgr.h"
#include "PMPoint.h"

namespace tshost {

class PanelMgrState final : public CPMUnknown<IPanelMgr> {
public:
    explicit PanelMgrState(IPMUnknown* boss) : CPMUnknown<IPanelMgr>(boss) {}
    ~PanelMgrState() override;

    // The current host's panels; null without a host.
    static PanelMgrState* Current();

    IControlView* QueryPanelByWidgetID(const WidgetID& panel) const override;
    bool16 IsPanelWithWidgetIDShown(const WidgetID& panel) const override;
    ErrorCode ShowPanelByWidgetID(const WidgetID& panel) override;
    ErrorCode HidePanelByWidgetID(const WidgetID& panel) override;

    // The shown panels' bosses in showing order; not counted.
    std::vector<IPMUnknown*> ShownPanels() const;
    // Asks the panel's view for the size it takes instead of (width, height) and applies it.
    ErrorCode Resize(const WidgetID& panel, PMReal width, PMReal height, PMPoint& applied);

private:
    std::vector<std::pair<WidgetID, IPMUnknown*>> fShown;  // one reference each
    std::map<WidgetID, std::string> fSavedViews;
};

// The utility: the same operations, forwarded to the application's panels.
class PanelMgrUtility final : public CPMUnknown<IPanelMgr> {
public:
    explicit PanelMgrUtility(IPMUnknown* boss) : CPMUnknown<IPanelMgr>(boss) {}
    IControlView* QueryPanelByWidgetID(const WidgetID& panel) const override;
    bool16 IsPanelWithWidgetIDShown(const WidgetID& panel) const override;
    ErrorCode ShowPanelByWidgetID(const WidgetID& panel) override;
    ErrorCode HidePanelByWidgetID(const WidgetID& panel) override;
};

}  // namespace tshost
