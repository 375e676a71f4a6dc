// The tree view as the plug-in and the user meet it: rows built through the adapter with
// the root hidden, expansion by the expander and re-applied rows, selection and its
// broadcasts, change of root, and adapters that misbehave.
#include <gmock/gmock.h>

#include "Events.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
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

TEST_F(TreeViewTest, TheExpanderTogglesAndOnlyTheToggledRowIsAppliedAgain) {
    IControlView* groupA = Row("Group A").widget.get();
    ClickExpander("Group A");
    EXPECT_EQ(tree->RowLines(), (Lines{"- <1003> Group A", "    <1001> Project 11", "    <1001> Project 12", "+ <1002> Group B",
                                       "  <1001> Project 3"}));
    std::string events = M().Take();
    EXPECT_THAT(events, HasSubstr("apply Group A expansion"));
    EXPECT_THAT(events, Not(HasSubstr("create Group A"))) << "a row that stays shown keeps its widget";
    EXPECT_THAT(events, Not(HasSubstr("apply Group B")));
    EXPECT_EQ(Row("Group A").widget.get(), groupA);
    EXPECT_EQ(Row("Group B").widget->GetFrame().Top(), 60.0) << "rows stack by their height";
    ClickExpander("Group A");
    EXPECT_EQ(tree->RowLines(), (Lines{"+ <1002> Group A", "+ <1002> Group B", "  <1001> Project 3"}));
    EXPECT_THAT(M().Take(), HasSubstr("apply Group A expansion"));
    EXPECT_EQ(tshost::ChildrenOf(treeView).size(), 3u) << "hidden rows leave the tree";
}

TEST_F(TreeViewTest, EverySelectionChangeBroadcastsOnceAndTheOrderIsKept) {
    auto selection = Tree<ITreeViewController>();
    tshost::Click(Row("Project 3").widget.get());
    tshost::Click(Row("Project 3").widget.get());
    EXPECT_EQ(M().Take(), "selection [Project 3]") << "clicking the selected row again changes nothing";
    NodeID hidden = Project21();
    EXPECT_EQ(selection->Select(hidden, kTrue, kTrue), kSuccess) << "a node under a collapsed group can be selected";
    EXPECT_EQ(selection->Select(hidden, kTrue, kTrue), kSuccess);
    EXPECT_EQ(M().Take(), "selection [Project 3,Project 21]");
    auto adapter = Tree<ITreeViewHierarchyAdapter>();
    for (const NodeID& refused : {adapter->GetRootNode(), kInvalidNodeID, adapter->GetGenericNodeID()})
        EXPECT_NE(selection->Select(refused, kTrue, kTrue), kSuccess) << "the root, an empty node, a foreign node";
    EXPECT_EQ(M().Take(), "");
    NodeIDList items;
    selection->GetSelectedItems(items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], Row("Project 3").node) << "the first selected stays first";

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
