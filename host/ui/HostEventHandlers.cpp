#include "HostEventHandlers.h"

namespace tshost {

namespace {
TreeNodeEventHook gTreeNodeHook = nullptr;
}

TreeNodeEventHook SetTreeNodeEventHook(TreeNodeEventHook hook) {
    TreeNodeEventHook old = gTreeNodeHook;
    gTreeNodeHook = hook;
    return old;
}

bool16 TreeNodeEventHandler::Pass(IEvent* e) {
    // The view comes from SetView, which a wrapping handler forwards: the row works either way.
    if (!e || !gTreeNodeHook || !GetView()) return kFalse;
    return gTreeNodeHook(GetView(), *e);
}

}  // namespace tshost
