#include <gtest/gtest.h>

#include "TSPanelNodeData.h"

namespace {

TSPanelNodeData Node(const char* name, int32 xmlID, bool isProject, int32 id, const TSPanelNodeData* parent = nullptr) {
    TSPanelNodeData node;
    node.SetData(PMString(name), xmlID, isProject, id);
    node.SetParent(parent);
    return node;
}

StatusCodeInfo Status(int32 id, const char* name) {
    StatusCodeInfo code;
    code.id = id;
    code.name = PMString(name);
    return code;
}

// root -> {A -> {A1, A2}, B -> {B1}}, each child record pointing at its parent.
struct SmallTree {
    TSPanelNodeData root = Node("Root", -1, false, -1);
    TSPanelNodeData a = Node("A", 1, false, 0, &root);
    TSPanelNodeData b = Node("B", 2, false, 1, &root);
    SmallTree() {
        a.AddChild(Node("A1", 11, true, 2, &a));
        a.AddChild(Node("A2", 12, true, 3, &a));
        b.AddChild(Node("B1", 21, true, 4, &b));
        root.AddChild(a);
        root.AddChild(b);
    }
};

TEST(TSPanelNodeData, DefaultRecordIsAnEmptyGroupWithoutPages) {
    TSPanelNodeData node;
    EXPECT_EQ(node.ChildCount(), 0);
    EXPECT_TRUE(node.GetNodeName().IsEmpty());
    EXPECT_FALSE(node.IsProject());
    EXPECT_EQ(node.GetParent(), nullptr);
    EXPECT_EQ(node.StatusCount(), 0);
    EXPECT_TRUE(node.GetPrjFileNameText().IsEmpty());
    EXPECT_EQ(node.GetPageFromInfo(), -1);
    EXPECT_EQ(node.GetPageToInfo(), -1);
}

TEST(TSPanelNodeData, CopyIsDeepAndEqual) {
    SmallTree tree;
    TSPanelNodeData copy(tree.root);
    ASSERT_EQ(copy.ChildCount(), 2);
    EXPECT_EQ(copy.GetNthChild(0).GetNodeName(), PMString("A"));
    ASSERT_EQ(copy.GetNthChild(0).ChildCount(), 2);
    EXPECT_EQ(copy.GetNthChild(0).GetNthChild(1).GetNodeName(), PMString("A2"));
    EXPECT_EQ(copy.GetNthChild(1).GetNthChild(0).GetNodeName(), PMString("B1"));
    EXPECT_TRUE(copy == tree.root);

    // The copy's children are its own.
    copy.GetNthChild(0).GetNthChild(0).SetData(PMString("changed"), 11, true, 2);
    EXPECT_EQ(tree.root.GetNthChild(0).GetNthChild(0).GetNodeName(), PMString("A1"));
    EXPECT_FALSE(copy == tree.root);
}

TEST(TSPanelNodeData, EqualityIgnoresStatusFileNameAndPagesOnly) {
    SmallTree tree;
    TSPanelNodeData copy = tree.a;
    copy.AddStatusCode(Status(1, "Draft"));
    copy.SetPrjFileNameText(PMString("X1"));
    copy.SetPageFromInfo(4);
    EXPECT_TRUE(copy == tree.a);

    struct Change {
        const char* what;
        void (*apply)(TSPanelNodeData&);
    };
    const Change changes[] = {
        {"internal id", [](TSPanelNodeData& n) { n.SetData(n.GetNodeName(), n.GetProjectXMLID(), n.IsProject(), 99); }},
        {"server id", [](TSPanelNodeData& n) { n.SetData(n.GetNodeName(), 99, n.IsProject(), n.GetProjectID()); }},
        {"kind", [](TSPanelNodeData& n) { n.SetData(n.GetNodeName(), n.GetProjectXMLID(), true, n.GetProjectID()); }},
        {"name", [](TSPanelNodeData& n) { n.SetData(PMString("a"), n.GetProjectXMLID(), n.IsProject(), n.GetProjectID()); }},
        {"parent", [](TSPanelNodeData& n) { n.SetParent(nullptr); }},
        {"children", [](TSPanelNodeData& n) { n.AddChild(TSPanelNodeData()); }},
    };
    for (const Change& change : changes) {
        TSPanelNodeData changed = tree.a;
        change.apply(changed);
        EXPECT_FALSE(changed == tree.a) << change.what;
    }
}

TEST(TSPanelNodeData, SameDataUnderDifferentParentsIsNotEqual) {
    TSPanelNodeData parent1, parent2;
    EXPECT_FALSE(Node("P", 5, true, 3, &parent1) == Node("P", 5, true, 3, &parent2));
    EXPECT_TRUE(Node("P", 5, true, 3, &parent1) == Node("P", 5, true, 3, &parent1));
}

TEST(TSPanelNodeData, AssignmentCopiesEveryField) {
    TSPanelNodeData parent;
    TSPanelNodeData source = Node("Proj", 7, true, 4, &parent);
    source.SetPageFromInfo(3);
    source.SetPageToInfo(5);
    source.SetPrjFileNameText(PMString("P7"));
    source.AddStatusCode(Status(2, "Final"));
    TSPanelNodeData target = Node("old", 1, false, 1);
    target.AddChild(Node("stale", 2, false, 2));
    target = source;
    EXPECT_EQ(target.GetPageFromInfo(), 3);
    EXPECT_EQ(target.GetPageToInfo(), 5);
    EXPECT_EQ(target.GetPrjFileNameText(), PMString("P7"));
    ASSERT_EQ(target.StatusCount(), 1);
    EXPECT_EQ(target.GetNthStatus(0).name, PMString("Final"));
    EXPECT_EQ(target.GetParent(), &parent);
    EXPECT_EQ(target.ChildCount(), 0);
    EXPECT_TRUE(target == source);
}

TEST(TSPanelNodeData, AssignmentFromItselfOrItsOwnChildKeepsTheData) {
    SmallTree tree;
    TSPanelNodeData& self = tree.root;
    self = tree.root;
    EXPECT_EQ(self.ChildCount(), 2);

    TSPanelNodeData node = tree.root;
    node = node.GetNthChild(0);
    EXPECT_EQ(node.GetNodeName(), PMString("A"));
    ASSERT_EQ(node.ChildCount(), 2);
    EXPECT_EQ(node.GetNthChild(1).GetNodeName(), PMString("A2"));
}

TEST(TSPanelNodeData, AddChildStoresACopy) {
    TSPanelNodeData parent;
    TSPanelNodeData child = Node("C", 3, true, 0, &parent);
    parent.AddChild(child);
    child.SetData(PMString("renamed"), 4, false, 9);
    EXPECT_EQ(parent.GetNthChild(0).GetNodeName(), PMString("C"));
    EXPECT_EQ(parent.GetNthChild(0).GetProjectID(), 0);
}

}  // namespace
