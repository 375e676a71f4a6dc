#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Alerts.h"
#include "ProgressBars.h"
#include "ProjectsFixture.h"
#include "TSPanelDataModel.h"
#include "TSPanelNodeData.h"
#include "XmlTestSupport.h"

namespace tsxmltest {
namespace {

class TSPanelDataModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearHostLogs();
        domparseFile.ReleaseDocument();
    }

    // The names of a node's children, loading them if needed.
    std::vector<std::string> Children(int32 id) {
        std::vector<std::string> names;
        const int32 count = fModel.GetChildCount(id);
        for (int32 i = 0; i < count; ++i) names.push_back(Name(fModel.GetNthChildID(id, i)));
        return names;
    }
    std::string Name(int32 id) const {
        TSPanelNodeData* node = fModel.GetNode(id);
        return node ? node->GetNodeName().GetUTF8String() : "<none>";
    }
    // The internal id of the child named `name` under `parent`, or -2.
    int32 ChildNamed(int32 parent, const std::string& name) {
        for (int32 i = 0; i < fModel.GetChildCount(parent); ++i) {
            int32 id = fModel.GetNthChildID(parent, i);
            if (Name(id) == name) return id;
        }
        return -2;
    }

    SettingsFolder fSettings;
    TSPanelDataModel fModel{nullptr};
};

using Names = std::vector<std::string>;

TEST_F(TSPanelDataModelTest, EmptyBeforeRebuildAndWithoutAFile) {
    EXPECT_EQ(fModel.GetRootID(), -1);
    EXPECT_EQ(fModel.GetNode(-1), nullptr);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_EQ(fModel.GetNthChildID(-1, 0), -1);
    EXPECT_EQ(fModel.GetChildIndexFor(-1, 0), -1);

    fModel.Rebuild();
    ASSERT_NE(fModel.GetNode(-1), nullptr);
    EXPECT_EQ(Name(-1), "Root");
    EXPECT_EQ(fModel.GetNode(-1)->GetProjectXMLID(), -1);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_EQ(fModel.GetParentID(-1), -1);
    EXPECT_EQ(fModel.GetParentID(12345), -1);
}

TEST_F(TSPanelDataModelTest, TopLevelGroupsNumberedInDocumentOrderAndSortedByBytes) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    // beta 0, alpha 1, Alpha 2, Mixed 3, Grün 4; hidden, unnamed and id-less groups take no id.
    EXPECT_EQ(Children(-1), (Names{"Alpha", "Gr\xc3\xbcn", "Mixed", "alpha", "beta"}));
    const int32 expected[] = {2, 4, 3, 1, 0};
    for (int32 i = 0; i < 5; ++i) {
        EXPECT_EQ(fModel.GetNthChildID(-1, i), expected[i]);
        EXPECT_EQ(fModel.GetChildIndexFor(-1, expected[i]), i);
        EXPECT_EQ(fModel.GetParentID(expected[i]), -1);
    }
    EXPECT_EQ(fModel.GetChildIndexFor(-1, 99), -1);
    EXPECT_EQ(fModel.GetNode(5), nullptr);
}

TEST_F(TSPanelDataModelTest, GroupChildrenLoadOnceSubGroupsFirstThenProjects) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    const int32 beta = 0;
    EXPECT_EQ(Children(beta), (Names{"Sub A", "Sub B", "Eta", "Zeta"}));
    // Sub B 5, Sub A 6, Zeta 7, Eta 8: created in document order after the top level.
    EXPECT_EQ(fModel.GetNthChildID(beta, 0), 6);
    EXPECT_EQ(fModel.GetNthChildID(beta, 3), 7);
    EXPECT_EQ(fModel.GetParentID(7), beta);
    EXPECT_EQ(fModel.GetNode(8)->GetParent(), fModel.GetNode(beta));

    // Asking again creates nothing.
    EXPECT_EQ(fModel.GetChildCount(beta), 4);
    EXPECT_EQ(fModel.GetNode(9), nullptr);

    // The wrapper of sub-groups shows a bar over all its child nodes, text included.
    const auto& bars = tshost::ProgressLog::Get().Records();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].title, "0x61000kTSLoadingXMLStatusKey");
    EXPECT_EQ(bars[0].maximum, 5);
    EXPECT_EQ(bars[0].positions, (std::vector<int32>{1, 2}));
    EXPECT_FALSE(bars[0].open);

    // Projects have no children and load nothing.
    EXPECT_EQ(fModel.GetChildCount(7), 0);
    EXPECT_EQ(fModel.GetNode(9), nullptr);
}

TEST_F(TSPanelDataModelTest, ProjectRecordsCarryTheirData) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    const TSPanelNodeData* zeta = fModel.GetNode(ChildNamed(0, "Zeta"));
    ASSERT_NE(zeta, nullptr);
    EXPECT_TRUE(zeta->IsProject());
    EXPECT_EQ(zeta->GetProjectXMLID(), 100);
    EXPECT_EQ(zeta->GetPrjFileNameText(), PMString("Z100"));
    EXPECT_EQ(zeta->GetPageFromInfo(), 3);
    EXPECT_EQ(zeta->GetPageToInfo(), 5);
    // Listed as 2,1; the file's list has 1 before 2.
    ASSERT_EQ(zeta->StatusCount(), 2);
    EXPECT_EQ(zeta->GetNthStatus(0).name, PMString("Draft"));
    EXPECT_EQ(zeta->GetNthStatus(1).name, PMString("Final"));

    const TSPanelNodeData* eta = fModel.GetNode(ChildNamed(0, "Eta"));
    EXPECT_EQ(eta->StatusCount(), 0);  // no status code 7
    EXPECT_EQ(eta->GetPageFromInfo(), -1);

    const int32 alpha = 1;
    EXPECT_EQ(Children(alpha), (Names{"Dups", "No id"}));
    const TSPanelNodeData* noId = fModel.GetNode(ChildNamed(alpha, "No id"));
    EXPECT_EQ(noId->GetProjectXMLID(), -1);
    EXPECT_EQ(noId->StatusCount(), 0);  // " 1" is not "1"
    const TSPanelNodeData* dups = fModel.GetNode(ChildNamed(alpha, "Dups"));
    ASSERT_EQ(dups->StatusCount(), 3);  // 1 once, both elements with id 3
    EXPECT_EQ(dups->GetNthStatus(0).name, PMString("Draft"));
    EXPECT_EQ(dups->GetNthStatus(1).name, PMString("Late"));
    EXPECT_EQ(dups->GetNthStatus(2).name, PMString("Late again"));
}

TEST_F(TSPanelDataModelTest, SubGroupsWithoutWrapperAndMixedForms) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    EXPECT_EQ(Children(2), (Names{"Direct", "Same id as a group", "Zeta again"}));
    // A group holding its sub-groups directly shows them, not a grandchild's wrapper.
    EXPECT_EQ(Children(3), (Names{"Child"}));
    EXPECT_EQ(Children(ChildNamed(3, "Child")), (Names{"Grandchild"}));
    EXPECT_TRUE(Children(4).empty());
    EXPECT_TRUE(Children(4).empty());
}

TEST_F(TSPanelDataModelTest, LookupByServerIdSeesLoadedProjectsOnly) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    EXPECT_FALSE(fModel.IsValidProjectID(100));
    Children(2);  // Alpha: "Zeta again" (100) and a project with group Sub B's id 11
    ASSERT_TRUE(fModel.IsValidProjectID(100));
    EXPECT_EQ(fModel.GetNodeByXMLID(100)->GetNodeName(), PMString("Zeta again"));
    Children(0);  // beta: Sub B (group 11) and Zeta (100), created later
    EXPECT_EQ(fModel.GetNodeByXMLID(100)->GetNodeName(), PMString("Zeta again"));
    EXPECT_EQ(fModel.GetNodeByXMLID(11)->GetNodeName(), PMString("Same id as a group"));
    EXPECT_FALSE(fModel.IsValidProjectID(10));  // a group
    EXPECT_EQ(fModel.GetNodeByXMLID(999), nullptr);
}

TEST_F(TSPanelDataModelTest, RebuildStartsOverAndKeepsTheLastDocumentWhenTheFileGoes) {
    fSettings.WriteProjects(kProjectsXml);
    fModel.Rebuild();
    Children(0);
    fModel.Rebuild();
    EXPECT_EQ(fModel.GetNode(8), nullptr);
    EXPECT_EQ(fModel.GetNthChildID(-1, 0), 2);

    fSettings.RemoveProjects();
    fModel.Rebuild();
    EXPECT_EQ(fModel.GetNode(0), nullptr);
    // The earlier document answers, with ids going on from where the counter stood.
    EXPECT_EQ(Children(-1), (Names{"Alpha", "Gr\xc3\xbcn", "Mixed", "alpha", "beta"}));
    EXPECT_EQ(fModel.GetNthChildID(-1, 0), 5 + 2);
}

TEST_F(TSPanelDataModelTest, MalformedFileLeavesOnlyTheRoot) {
    fSettings.WriteProjects(std::string(kProjectsXml).substr(0, 400));
    fModel.Rebuild();
    std::vector<std::string> alerts = TakeAlerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].rfind("Line No = ", 0), 0u);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_TRUE(TakeAlerts().empty());
}

}  // namespace
}  // namespace tsxmltest
