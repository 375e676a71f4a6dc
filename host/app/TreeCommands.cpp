// Console commands for tree views: show the shown trees, and expand, collapse, select and
// right-click their rows by name, as a user's clicks would (through the rows' and
// expanders' event handlers).
#include <algorithm>
#include <cstdio>

#include "ConsoleCommands.h"
#include "Events.h"
#include "Panels.h"
#include "TreeView.h"
#include "Transcript.h"
#include "WidgetIDs.h"
#include "Widgets.h"
#include "HexText.h"

namespace tshost {

namespace {

void CollectTrees(IPMUnknown* widget, std::vector<TreeView*>& out, int depth) {
    if (!widget || depth > 256) return;
    // Asking makes the tree state of a tree that nobody has used yet.
    if (TreeView* tree = TreeView::Of(widget)) out.push_back(tree);
    for (IControlView* child : ChildrenOf(widget)) CollectTrees(child, out, depth + 1);
}

// The trees of the shown panels, then any other tree alive and visible.
std::vector<TreeView*> ShownTrees() {
    std::vector<TreeView*> shown;
    if (PanelMgrState* panels = PanelMgrState::Current())
        for (IPMUnknown* panel : panels->ShownPanels()) CollectTrees(panel, shown, 0);
    for (TreeView* tree : TreeView::Live()) {
        if (std::find(shown.begin(), shown.end(), tree) != shown.end()) continue;
        IControlView* view = ViewOf(tree);
        if (view && view->IsVisible(kTrue)) shown.push_back(tree);
    }
    return shown;
}

void Render(TreeView* tree) {
    IControlView* view = ViewOf(tree);
    std::vector<std::string> lines = tree->RowLines();
    std::string title = "tree " + Hex(view ? view->GetWidgetID().Get() : 0);
    Show(title + (lines.empty() ? ": empty" : ":"));
    for (const std::string& line : lines) Show("  " + line);
}

// The first shown tree with a row of that name.
bool FindRow(const std::string& name, TreeView*& tree, int32& row, std::string& error) {
    std::vector<TreeView*> shown = ShownTrees();
    if (shown.empty()) {
        error = "no tree view is shown";
        return false;
    }
    for (TreeView* t : shown)
        if ((row = t->RowNamed(name)) >= 0) {
            tree = t;
            return true;
        }
    error = "no row named \"" + name + "\" is shown";
    return false;
}

bool Usage(std::string& error) {
    error = std::string("usage: ") + ConsoleCommand::Find("tree")->Usage();
    return false;
}

bool Tree(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    const auto& w = args.words;
    if (w.empty()) {
        std::vector<TreeView*> shown = ShownTrees();
        if (shown.empty()) Show("no tree view is shown");
        for (TreeView* tree : shown) Render(tree);
        return true;
    }
    const std::string& verb = w[0];
    if (w.size() != 2 || (verb != "expand" && verb != "collapse" && verb != "select" && verb != "add" && verb != "right-click"))
        return Usage(error);
    TreeView* tree = nullptr;
    int32 index = -1;
    if (!FindRow(w[1], tree, index, error)) return false;
    const TreeView::Row& row = tree->Rows()[static_cast<std::size_t>(index)];
    InterfacePtr<IControlView> widget = row.widget;  // the click may rebuild the rows
    NodeID node = row.node;
    if (verb == "expand" || verb == "collapse") {
        if (tree->IsExpanded(node) == (verb == "expand")) {
            Show(w[1] + " is " + (verb == "expand" ? "expanded" : "collapsed") + " already");
            return true;
        }
        IControlView* expander = FindWidgetFrom(widget.get(), kTreeNodeExpanderWidgetID);
        if (!expander || !expander->IsVisible(kFalse)) {
            error = "\"" + w[1] + "\" has no expander";
            return false;
        }
        Click(expander);
    } else if (verb == "select") {
        Click(widget.get());
    } else if (verb == "add") {
        tree->Select(node, true);
    } else {
        PMRect frame = widget ? widget->GetFrame() : PMRect();
        SysPoint where{static_cast<int32>(frame.Left()) + 10, static_cast<int32>(frame.Top() + frame.Height() / 2)};
        Event down(IEvent::kRButtonDn, where), up(IEvent::kRButtonUp, where);
        Deliver(widget.get(), down);
        Deliver(widget.get(), up);
        return true;
    }
    Render(tree);
    return true;
}

ConsoleCommand gTree("tree", "tree [expand|collapse|select|add|right-click NAME]",
                     "show the shown tree views, or click a row: its expander, the row, the row added to the selection, "
                     "the right button",
                     Tree);

}  // namespace

}  // namespace tshost
