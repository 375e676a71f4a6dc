// The host's own event handlers of tree-node rows and of the layout view: the handlers a
// plug-in may wrap (UiIDs.h gives their implementation IDs). The tree-node handler passes
// each event, with the row's view it was given through SetView, to the tree view's hook
// (the tree view sets it; without a hook nothing is handled). The layout handler counts the
// events it receives, which is all a console layout view does with them.
// User-interface thread only.
#pragma once

#include "CEventHandler.h"
#include "IEvent.h"

namespace tshost {

// Returns kTrue when the tree view handled the event on `row`.
using TreeNodeEventHook = bool16 (*)(IControlView* row, IEvent& event);
// Returns the hook it replaces.
TreeNodeEventHook SetTreeNodeEventHook(TreeNodeEventHook hook);

class TreeNodeEventHandler final : public CEventHandler {
public:
    explicit TreeNodeEventHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 LButtonDn(IEvent* e) override { return Pass(e); }
    bool16 LButtonUp(IEvent* e) override { return Pass(e); }
    bool16 RButtonDn(IEvent* e) override { return Pass(e); }
    bool16 RButtonUp(IEvent* e) override { return Pass(e); }
    bool16 ButtonDblClk(IEvent* e) override { return Pass(e); }
    bool16 KeyDown(IEvent* e) override { return Pass(e); }
    bool16 KeyCmd(IEvent* e) override { return Pass(e); }

private:
    bool16 Pass(IEvent* e);
};

class LayoutViewEventHandler final : public CEventHandler {
public:
    explicit LayoutViewEventHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 MouseMove(IEvent*) override { return Count(); }
    bool16 MouseDrag(IEvent*) override { return Count(); }
    bool16 LButtonDn(IEvent*) override { return Count(); }
    bool16 LButtonUp(IEvent*) override { return Count(); }
    bool16 RButtonDn(IEvent*) override { return Count(); }
    bool16 RButtonUp(IEvent*) override { return Count(); }
    bool16 ButtonDblClk(IEvent*) override { return Count(); }
    bool16 MouseWheel(IEvent*) override { return Count(); }
    bool16 KeyDown(IEvent*) override { return Count(); }
    bool16 KeyCmd(IEvent*) override { return Count(); }
    bool16 KeyUp(IEvent*) override { return Count(); }
    bool16 CanHaveKeyFocus() const override { return kTrue; }

    int32 EventCount() const { return fCount; }

private:
    bool16 Count() { ++fCount; return kTrue; }
    int32 fCount = 0;
};

}  // namespace tshost
