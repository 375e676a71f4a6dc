// The tree view as the plug-in and the user meet it: rows built through the adapter with
// the root hidden, expansion by the expander and re-applied rows, selection and its
// broadcasts, change of root, and adapters that misbehave.
#include <gmock/gmock.h>

#include <map>

#include "Events.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
#include "ITriStateControlData.h"
#include "IPanelControlData.h"
#include "TreeFixture.h"
#include "WidgetIDs.h"

namespace treetest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class TreeViewTest : public TreeFixture {
protected:
    // The row showing `name`; throws when none does.
    const auto& Row(const std::string& name) { return tree->Rows().at(static_cast<std::size_t>(tree->RowNamed(name))); }
    void ClickExpander(const std::string& name) {
        tshost::Click(tshost::FindWidgetFrom(Row(name).widget.get(), kTreeNodeExpanderWidgetID));
    }
    template <class Interface>
    InterfacePtr<Interface> Tree() { return InterfacePtr<Interface>(treeView, IID_OF<Interface>()); }
    // The name a row shows.
    std::string NameOf(const tshost::TreeView::Row& row) {
        int32 index = tree->RowOfWidget(row.widget.get());
        return index < 0 ? "?" : tree->Looks()[static_cast<std::size_t>(index)].name;
    }
    NodeID Project21() {
        auto adapter = Tree<ITreeViewHierarchyAdapter>();
        return adapter->GetNthChild(adapter->GetNthChild(adapter->GetRootNode(), 1), 0);
    }
};

TEST_F(TreeViewTest, TheRootIsHiddenAndEveryShownRowIsAskedForItsChildren) {
    Tree<ITreeViewMgr>()->ChangeRoot(kTrue);
    // A row without children shows no expander.
    EXPECT_EQ(tree->RowLines(), (Lines{"+ <1002> Group A", "+ <1002> Group B", "  <1001> Project 3"}));
    std::string events = M().Take();
    for (const char* asked : {"count Group A", "count Group B", "count Project 3"}) EXPECT_THAT(events, HasSubstr(asked));
    EXPECT_THAT(events, Not(HasSubstr("count Project 11"))) << "rows of a collapsed group are not built";
    EXPECT_THAT(events, Not(HasSubstr("bad child index")));
}

TEST_F(TreeViewTest, RowsAroundAnExpandedOrCollapsedGroupKeepTheirWidgetsInRowOrder) {
    // A child of the tree widget that is no row stays where it is.
    tshost::WidgetSpec spec;
    spec.kind = "static-text";
    InterfacePtr<IPMUnknown> extra(tshost::BuildWidget(spec, kPluginID, error));
    InterfacePtr<IPanelControlData> children(treeView, IID_OF<IPanelControlData>());
    ASSERT_TRUE(extra && children) << error;
    children->AddWidget(tshost::ViewOf(extra.get()));
    std::map<std::string, IControlView*> widgets;
    auto check = [&](const char* step, const Lines& lines) {
        EXPECT_EQ(tree->RowLines(), lines) << step;
        std::vector<IControlView*> expected{tshost::ViewOf(extra.get())};
        PMReal top = 0;
        for (const auto& row : tree->Rows()) {
            expected.push_back(row.widget.get());
            EXPECT_EQ(row.widget->GetFrame().Top(), top) << step;
            top += row.widget->GetFrame().Height();
            auto [known, added] = widgets.emplace(NameOf(row), row.widget.get());
            EXPECT_EQ(known->second, row.widget.get()) << step << ": " << NameOf(row) << " keeps its widget";
            InterfacePtr<ITriStateControlData> expander(tshost::FindWidgetFrom(row.widget.get(), kTreeNodeExpanderWidgetID),
                                                        IID_OF<ITriStateControlData>());
            ASSERT_TRUE(expander);
            EXPECT_EQ(expander->IsSelected() != kFalse, tree->IsExpanded(row.node)) << step << ": " << NameOf(row);
        }
        EXPECT_EQ(tshost::ChildrenOf(treeView), expected) << step;
    };
    ClickExpander("Group B");
    check("B expanded", {"+ <1002> Group A", "- <1003> Group B", "    <1001> Project 21", "  <1001> Project 3"});
    Tree<ITreeViewMgr>()->ExpandNode(Row("Group A").node);
    check("A expanded before B", {"- <1003> Group A", "    <1001> Project 11", "    <1001> Project 12", "- <1003> Group B",
                                  "    <1001> Project 21", "  <1001> Project 3"});
    widgets.erase("Project 11");
    widgets.erase("Project 12");
    M().children[3] = {31};  // Project 3 gains a child while its row stays shown
    M().names[31] = "Project 31";
    M().Take();
    ClickExpander("Group A");
    check("A collapsed", {"+ <1002> Group A", "- <1003> Group B", "    <1001> Project 21", "+ <1001> Project 3"});
    EXPECT_THAT(M().Take(), Not(HasSubstr("apply Group B expansion"))) << "only the toggled rows are applied again";
}

TEST_F(TreeViewTest, EverySelectionChangeBroadcastsOnceAndTheOrderIsKept) {
    auto selection = Tree<ITreeViewController>();
    tshost::Click(Row("Project 3").widget.get());
    tshost::Click(Row("Project 3").widget.get());
    EXPECT_EQ(M().Take(), "selection [Project 3]") << "clicking the selected row again changes nothing";
    NodeID hidden = Project21();
    EXPECT_EQ(selection->Select(hidden, kTrue, kTrue), kSuccess) << "a node under a collapsed group can be selected";
    EXPECT_EQ(selection->Select(hidden, kTrue, kTrue), kSuccess);
    EXPECT_EQ(M().Take(), "selection [Project 3,Project 21]") << "the first selected stays first";
    auto adapter = Tree<ITreeViewHierarchyAdapter>();
    for (const NodeID& refused : {adapter->GetRootNode(), kInvalidNodeID, adapter->GetGenericNodeID()})
        EXPECT_NE(selection->Select(refused, kTrue, kTrue), kSuccess) << "the root, an empty node, a foreign node";
    EXPECT_EQ(M().Take(), "");

    selection->DeselectAll(kTrue, kTrue);
    selection->DeselectAll(kTrue, kTrue);
    EXPECT_EQ(M().Take(), "selection []");
    selection->Select(hidden, kTrue, kFalse);
    EXPECT_EQ(M().Take(), "") << "notify false keeps the change quiet";
    EXPECT_TRUE(selection->IsSelected(hidden));
}

TEST_F(TreeViewTest, ChangeRootRebuildsFromTheModelAndDropsSelectedNodesThatLeftIt) {
    Tree<ITreeViewController>()->Select(Row("Project 3").node, kTrue, kTrue);
    Tree<ITreeViewController>()->Select(Row("Group A").node, kTrue, kTrue);
    ClickExpander("Group A");
    M().Take();
    M().children[0] = {1};  // Group B and Project 3 are gone
    M().children[1] = {11, 12, 13};
    M().names[13] = "Project 13";
    Tree<ITreeViewMgr>()->ChangeRoot(kTrue);
    EXPECT_EQ(tree->RowLines(), (Lines{"- <1003> Group A [selected]", "    <1001> Project 11", "    <1001> Project 12",
                                       "    <1001> Project 13"}));
    EXPECT_THAT(M().Take(), HasSubstr("selection [Group A]"));
    M().present = false;
    Tree<ITreeViewMgr>()->ChangeRoot(kTrue);
    EXPECT_EQ(tree->RowLines(), Lines{}) << "no root: no rows";
    EXPECT_EQ(M().Take(), "selection []");
}

TEST_F(TreeViewTest, RunawayAdaptersAreCut) {
    M().rebuildInAdapter = true;
    Tree<ITreeViewMgr>()->ChangeRoot(kTrue);
    M().rebuildInAdapter = false;
    EXPECT_EQ(tree->RowLines(), (Lines{"+ <1002> Group A", "+ <1002> Group B", "  <1001> Project 3"}));
    ASSERT_FALSE(diagnosed.empty());
    EXPECT_THAT(diagnosed.front(), HasSubstr("rebuilt from inside its own rebuild"));

    // A chain deeper than the tree view shows, every level expanded.
    M().children.clear();
    M().names.clear();
    for (int32 i = 0; i < tshost::TreeView::kMaxDepth + 10; ++i) {
        M().children[i] = {i + 1};
        M().names[i + 1] = "N" + std::to_string(i + 1);
    }
    Tree<ITreeViewMgr>()->ChangeRoot(kTrue);
    for (int32 level = 1; tree->RowNamed("N" + std::to_string(level)) >= 0; ++level)
        Tree<ITreeViewMgr>()->ExpandNode(Row("N" + std::to_string(level)).node);
    EXPECT_EQ(static_cast<int32>(tree->Rows().size()), tshost::TreeView::kMaxDepth);
    EXPECT_THAT(diagnosed.back(), HasSubstr("the rest is not shown"));
}

}  // namespace
}  // namespace treetest
