#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>

#include "StatusCodeInfo.h"
#include "TSPanelDataModel.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"
#include "TSXmlDataHandling.h"
#include "XmlTestSupport.h"

namespace tsxmltest {
namespace {

using Names = std::vector<std::string>;

TSPanelNodeData Node(const char* name, int32 xmlID, bool isProject, int32 id, const TSPanelNodeData* parent) {
    TSPanelNodeData node;
    node.SetData(PMString(name), xmlID, isProject, id);
    node.SetParent(parent);
    return node;
}

// root -> {A -> {A1}, B}, each child record pointing at its parent; A holds every field.
struct SmallTree {
    TSPanelNodeData root = Node("Root", -1, false, -1, nullptr);
    TSPanelNodeData a = Node("A", 1, false, 0, &root);
    SmallTree() {
        a.SetPageFromInfo(3);
        a.SetPageToInfo(5);
        a.SetPrjFileNameText(PMString("P7"));
        StatusCodeInfo final;
        final.name = PMString("Final");
        a.AddStatusCode(final);
        a.AddChild(Node("A1", 11, true, 2, &a));
        root.AddChild(a);
        root.AddChild(Node("B", 2, false, 1, &root));
    }
};

TEST(TSPanelNodeData, CopiesAreDeepAndWholeEvenFromItselfOrItsOwnChild) {
    SmallTree tree;
    TSPanelNodeData copy(tree.root);
    ASSERT_TRUE(copy == tree.root);
    copy.GetNthChild(0).GetNthChild(0).SetData(PMString("changed"), 11, true, 2);
    EXPECT_EQ(tree.root.GetNthChild(0).GetNthChild(0).GetNodeName(), PMString("A1"));
    EXPECT_FALSE(copy == tree.root);

    TSPanelNodeData& self = tree.root;
    self = tree.root;
    EXPECT_EQ(self.ChildCount(), 2);
    TSPanelNodeData node = tree.root;
    node = node.GetNthChild(0);
    EXPECT_TRUE(node == tree.a);
    EXPECT_EQ(node.GetPageFromInfo(), 3);
    EXPECT_EQ(node.GetPageToInfo(), 5);
    EXPECT_EQ(node.GetPrjFileNameText(), PMString("P7"));
    ASSERT_EQ(node.StatusCount(), 1);
    EXPECT_EQ(node.GetNthStatus(0).name, PMString("Final"));

    // Equality, which the checks above lean on, covers both ids, the kind, name, parent and children.
    const TSPanelNodeData others[] = {Node("A", 1, false, 9, &tree.root), Node("A", 9, false, 0, &tree.root),
                                      Node("A", 1, true, 0, &tree.root), Node("a", 1, false, 0, &tree.root),
                                      Node("A", 1, false, 0, nullptr), Node("A", 1, false, 0, &tree.root)};
    for (const TSPanelNodeData& other : others) EXPECT_FALSE(other == tree.a) << other.GetNodeName().GetUTF8String();
}

class TSPanelDataModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        TakeAlerts();
        domparseFile.ReleaseDocument();
        WriteFile(fSettings.ProjectsFile(), kProjectsXml);
    }

    // The names of a node's children, loading them if needed.
    Names Children(int32 id) {
        Names names;
        for (int32 i = 0; i < fModel.GetChildCount(id); ++i) names.push_back(Name(fModel.GetNthChildID(id, i)));
        return names;
    }
    std::string Name(int32 id) const {
        TSPanelNodeData* node = fModel.GetNode(id);
        return node ? node->GetNodeName().GetUTF8String() : "<none>";
    }
    Names Statuses(int32 id) const {
        Names names;
        for (int32 i = 0; i < fModel.GetNode(id)->StatusCount(); ++i)
            names.push_back(fModel.GetNode(id)->GetNthStatus(i).name.GetUTF8String());
        return names;
    }

    // Every record below a node, loading them: a group as name[children], a project as
    // name, its page range when it has one, and {its status codes}.
    std::string Outline(int32 id) {
        std::string text;
        for (int32 i = 0; i < fModel.GetChildCount(id); ++i) {
            const int32 child = fModel.GetNthChildID(id, i);
            const TSPanelNodeData& node = *fModel.GetNode(child);
            text += (i ? "," : "") + Name(child);
            if (node.IsProject()) {
                if (node.GetPageFromInfo() != -1 || node.GetPageToInfo() != -1)
                    text += " " + std::to_string(node.GetPageFromInfo()) + ".." + std::to_string(node.GetPageToInfo());
                Names statuses = Statuses(child);
                text += "{";
                for (std::size_t s = 0; s < statuses.size(); ++s) text += (s ? "," : "") + statuses[s];
                text += "}";
            } else if (const std::string inner = Outline(child); !inner.empty()) {
                text += "[" + inner + "]";
            }
        }
        return text;
    }

    ScratchFolder fSettings{true};
    TSPanelDataModel fModel{nullptr};
};

TEST_F(TSPanelDataModelTest, WithoutAUsableFileOnlyTheRoot) {
    WriteFile(fSettings.ProjectsFile(), std::string(kProjectsXml).substr(0, 400));
    fModel.Rebuild();
    std::vector<std::string> alerts = TakeAlerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].rfind("Line No = ", 0), 0u);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
    EXPECT_TRUE(TakeAlerts().empty());
    std::filesystem::remove(fSettings.ProjectsFile());
    fModel.Rebuild();
    EXPECT_EQ(Name(-1), "Root");
    EXPECT_EQ(fModel.GetChildCount(-1), 0);
}

TEST_F(TSPanelDataModelTest, TopLevelGroupsNumberedInDocumentOrderAndSortedByBytes) {
    fModel.Rebuild();
    // beta 0, alpha 1, Alpha 2, Mixed 3, Grün 4; hidden, unnamed and id-less groups take no id.
    EXPECT_EQ(Children(-1), (Names{"Alpha", "Gr\xc3\xbcn", "Mixed", "alpha", "beta"}));
    const int32 expected[] = {2, 4, 3, 1, 0};
    for (int32 i = 0; i < 5; ++i) {
        EXPECT_EQ(fModel.GetNthChildID(-1, i), expected[i]);
        EXPECT_EQ(fModel.GetChildIndexFor(-1, expected[i]), i);
        EXPECT_EQ(fModel.GetParentID(expected[i]), -1);
    }
    EXPECT_EQ(fModel.GetNode(5), nullptr);
}

TEST_F(TSPanelDataModelTest, ChildrenLoadOnceSubGroupsFirstThenProjectsUntilARebuild) {
    fModel.Rebuild();
    EXPECT_EQ(Children(0), (Names{"Sub A", "Sub B", "Eta", "Zeta"}));  // beta
    // Sub B 5, Sub A 6, Zeta 7, Eta 8: created in document order after the top level.
    EXPECT_EQ(fModel.GetNthChildID(0, 0), 6);
    EXPECT_EQ(fModel.GetNthChildID(0, 3), 7);
    EXPECT_EQ(fModel.GetNode(8)->GetParent(), fModel.GetNode(0));
    EXPECT_EQ(fModel.GetChildCount(0), 4);
    EXPECT_EQ(fModel.GetChildCount(7), 0);
    EXPECT_EQ(fModel.GetNode(9), nullptr);
    // Loading the wrapper of sub-groups shows a bar.
    ASSERT_EQ(tshost::ProgressLog::Get().Records().size(), 1u);
    EXPECT_FALSE(tshost::ProgressLog::Get().Records()[0].open);

    EXPECT_EQ(Children(2), (Names{"Direct", "Same id as a group", "Zeta again"}));
    // A group holding its sub-groups directly shows them, not a grandchild's wrapper.
    EXPECT_EQ(Children(3), (Names{"Child"}));
    EXPECT_EQ(Children(fModel.GetNthChildID(3, 0)), (Names{"Grandchild"}));

    // Without the file a rebuild takes the earlier document.
    std::filesystem::remove(fSettings.ProjectsFile());
    fModel.Rebuild();
    EXPECT_EQ(Children(-1).size(), 5u);
}

TEST_F(TSPanelDataModelTest, ProjectRecordsCarryTheirDataAndStatusCodesInListOrder) {
    fModel.Rebuild();
    Children(0);  // Zeta 7, Eta 8
    Children(1);  // No id 9, Dups 10
    const TSPanelNodeData& zeta = *fModel.GetNode(7);
    EXPECT_TRUE(zeta.IsProject());
    EXPECT_EQ(zeta.GetProjectXMLID(), 100);
    EXPECT_EQ(zeta.GetPrjFileNameText(), PMString("Z100"));
    EXPECT_EQ(zeta.GetPageFromInfo(), 3);
    EXPECT_EQ(zeta.GetPageToInfo(), 5);
    EXPECT_EQ(Statuses(7), (Names{"Draft", "Final"}));  // listed as 2,1
    EXPECT_TRUE(Statuses(8).empty());                   // no status code 7
    EXPECT_EQ(fModel.GetNode(8)->GetPageFromInfo(), -1);
    EXPECT_EQ(fModel.GetNode(9)->GetProjectXMLID(), -1);
    EXPECT_TRUE(Statuses(9).empty());  // " 1" is not "1"
    // The first status code with an id answers for it: a list that repeated one could
    // otherwise make every project that names it as large as the whole list.
    EXPECT_EQ(Statuses(10), (Names{"Draft", "Late"}));
}

TEST_F(TSPanelDataModelTest, LookupByServerIdSeesLoadedProjectsOnly) {
    fModel.Rebuild();
    EXPECT_FALSE(fModel.IsValidProjectID(100));
    Children(2);  // Alpha: "Zeta again" (100) and a project with group Sub B's id 11
    ASSERT_TRUE(fModel.IsValidProjectID(100));
    Children(0);  // beta: Sub B (group 11) and Zeta (100), created later
    EXPECT_EQ(fModel.GetNodeByXMLID(100)->GetNodeName(), PMString("Zeta again"));
    EXPECT_EQ(fModel.GetNodeByXMLID(11)->GetNodeName(), PMString("Same id as a group"));
    EXPECT_FALSE(fModel.IsValidProjectID(10));  // a group
    EXPECT_EQ(fModel.GetNodeByXMLID(999), nullptr);
}

// What the tree view asks when it shows the top level: every row's number of children.
void LookAsTheTreeDoes(TSPanelDataModel& model) {
    for (int32 i = 0; i < model.GetChildCount(-1); ++i) model.GetChildCount(model.GetNthChildID(-1, i));
}

// The records by id, and the loading bars shown, since the last call.
std::pair<std::map<int32, std::string>, std::vector<std::string>> Loaded(TSPanelDataModel& model) {
    std::map<int32, std::string> names;
    for (int32 id = -1; id < 100; ++id)
        if (const TSPanelNodeData* node = model.GetNode(id)) names[id] = node->GetNodeName().GetUTF8String();
    std::vector<std::string> bars;
    for (const tshost::ProgressRecord& bar : tshost::ProgressLog::Get().Records()) {
        std::string text = bar.title + " " + std::to_string(bar.minimum) + ".." + std::to_string(bar.maximum) + ":";
        for (int32 position : bar.positions) text += " " + std::to_string(position);
        bars.push_back(text);
    }
    tshost::ProgressLog::Get().Clear();
    return {names, bars};
}

// Rebuilding from the same list after the tree's first look gives the same records with the
// same ids and shows the same progress; once anything else was loaded it starts over.
TEST_F(TSPanelDataModelTest, ARebuildFromTheSameListKeepsWhatItWouldMakeAgain) {
    fModel.Rebuild();
    LookAsTheTreeDoes(fModel);
    const auto first = Loaded(fModel);
    ASSERT_EQ(first.first.size(), 16u);
    ASSERT_EQ(first.second, (std::vector<std::string>{"0x61000kTSLoadingXMLStatusKey 0..10: 1 2"})) << "beta's";
    const int32 last = first.first.rbegin()->first;
    TSPanelNodeData* const kept = fModel.GetNode(last);

    fModel.Rebuild();
    EXPECT_EQ(fModel.GetNode(last), kept);
    LookAsTheTreeDoes(fModel);
    EXPECT_EQ(Loaded(fModel), first);
    EXPECT_EQ(Children(fModel.GetNthChildID(3, 0)), (Names{"Grandchild"})) << "numbered on from the kept ones";
    const int32 grandchild = fModel.GetNthChildID(fModel.GetNthChildID(3, 0), 0);

    TSPanelDataModel fresh{nullptr};
    fresh.Rebuild();
    LookAsTheTreeDoes(fresh);
    EXPECT_EQ(Loaded(fresh).first, first.first);
    EXPECT_EQ(fresh.GetNthChildID(fresh.GetNthChildID(3, 0), 0), grandchild);
    tshost::ProgressLog::Get().Clear();

    // Child was loaded beyond the tree's first look: the next rebuild starts over.
    fModel.Rebuild();
    EXPECT_EQ(fModel.GetNode(last), nullptr);
    LookAsTheTreeDoes(fModel);
    EXPECT_EQ(Loaded(fModel), first);
}

// An id that is not a whole number in range is no id: never 0, never another node's.
TEST_F(TSPanelDataModelTest, IdsThatAreNotNumbersAreMissing) {
    WriteFile(fSettings.ProjectsFile(), R"(<tessaron><projectgroups>
        <projectgroup id="x1" name="Letters"/><projectgroup id="99999999999" name="Too big"/>
        <projectgroup id="2147483648" name="Just too big"/><projectgroup id="7abc" name="Trailing"/>
        <projectgroup id="" name="Empty"/><projectgroup id="0x10" name="Hex"/><projectgroup id="1.5" name="Fraction"/>
        <projectgroup id=" 7 " name="Seven"/><projectgroup id="+8" name="Eight"/><projectgroup id="0" name="Zero"/>
        <projectgroup id="2147483647" name="Largest"/><projectgroup id="-2147483648" name="Smallest"/>
      </projectgroups><projects>
        <project name="Nameless group"/><project id="1" name="Group x1" project_group_id="x1"/>
        <project id="2" name="Group zero" project_group_id="0"/>
        <project id="x5" name="Bad id" project_group_id="7"/><project id="" name="Empty id" project_group_id="7"/>
        <project id="99999999999" name="Huge id" project_group_id="7"/>
        <project name="No id" project_group_id="7"/><project id=" 5" name="Five" project_group_id=" 7"/>
        <project id="6" name="Group 7x" project_group_id="7x"/>
      </projects></tessaron>)");
    fModel.Rebuild();
    EXPECT_EQ(Children(-1), (Names{"Eight", "Largest", "Seven", "Smallest", "Zero"}));
    EXPECT_EQ(fModel.GetNode(fModel.GetNthChildID(-1, 3))->GetProjectXMLID(), std::numeric_limits<int32>::min());
    const int32 seven = fModel.GetNthChildID(-1, 2), zero = fModel.GetNthChildID(-1, 4);
    EXPECT_EQ(Children(zero), (Names{"Group zero"}));
    // A project without an id is shown with none; one whose id is not a number is not shown.
    EXPECT_EQ(Children(seven), (Names{"Five", "No id"}));
    EXPECT_EQ(fModel.GetNode(fModel.GetNthChildID(seven, 0))->GetProjectXMLID(), 5);
    EXPECT_EQ(fModel.GetNode(fModel.GetNthChildID(seven, 1))->GetProjectXMLID(), -1);
    EXPECT_FALSE(fModel.IsValidProjectID(0));
    EXPECT_TRUE(TakeAlerts().empty());
}

// Groups, projects and status codes each come from the first list of their kind in document
// order, wherever it stands (the root is no list): only the first "projects" holds projects,
// however deep they lie in it and whatever else it holds, and a list or a loose group or
// status code inside the projects list or a project counts when it lies inside the first
// list of its kind. A project's status ids are split at each ",": an empty id between commas
// or before a lone "," counts, a trailing "," adds none. Elements of other names hide a group
// inside them from its list but not from its id, and a list as deep, an element with as many
// attributes and a tag nearly as long as the reader takes are read whole.
TEST_F(TSPanelDataModelTest, EachKindComesFromTheFirstListOfItsKind) {
    const std::string groupA = R"(<projectgroups><projectgroup id="1" name="A"/></projectgroups>)";
    const std::string groupG = R"(<projectgroups><projectgroup id="7" name="G"/></projectgroups>)";
    const std::string p = R"(<project id="5" name="p" statuscodes="1,2" project_group_id="1"/>)";
    std::string manyAttributes = R"(<projectgroups><projectgroup id="1" name="A")";
    for (std::size_t i = 3; i <= TSXmlDataHandling::kMaxAttributes; ++i)
        manyAttributes += " a" + std::to_string(i) + "=\"\"";
    manyAttributes += "/></projectgroups>";
    // The root, then elements down to the deepest status code.
    const std::size_t outer = TSXmlDataHandling::kMaxDepth - 3;
    std::string deepCodes;
    for (std::size_t i = 0; i < outer; ++i) deepCodes += "<x>";
    // A name nearly as long as a tag may be, the reading ahead of the library allowed for.
    const std::string longName = "Deep" + std::string(TSXmlDataHandling::kMaxMarkupBytes - 65536, 'n');
    deepCodes += R"(<statuscodes><statuscode id="1" name=")" + longName + R"("/></statuscodes>)";
    for (std::size_t i = 0; i < outer; ++i) deepCodes += "</x>";
    // Many short pieces, each kind on its own longer than a tag may be, and a tag as long in
    // blanks.
    const std::size_t pieces = TSXmlDataHandling::kMaxMarkupBytes / 4 + 65536;
    std::string shortPieces;
    for (std::size_t i = 0; i < pieces; ++i) shortPieces += "<x/>";
    for (std::size_t i = 0; i < pieces; ++i) shortPieces += "<!---->";
    for (std::size_t i = 0; i < pieces; ++i) shortPieces += "<?p?>";
    for (std::size_t i = 0; i < pieces; ++i) shortPieces += "t t ";
    const std::string longTag(250, 'y');
    for (std::size_t i = 0; i < pieces / 60; ++i) shortPieces += "<" + longTag + ">";
    for (std::size_t i = 0; i < pieces / 60; ++i) shortPieces += "</" + longTag + ">";
    shortPieces += "<x" + std::string(pieces * 4, ' ') + "/>";  // blanks cost nothing
    const struct { const char* what; std::string list; std::string tree; Names codes; } cases[] = {
        {"projects deep in the first projects list only",
         groupG + R"(<x><projects><project id="1" name="A" project_group_id="7"/><y><project id="2" name="B"
            project_group_id="7"><project id="3" name="C" project_group_id="7"/></project></y></projects></x>
            <projects><project id="4" name="D" project_group_id="7"/></projects>)",
         "G[A{},B{},C{}]", {}},
        {"an empty first projects list", groupG + R"(<projects/><projects><project id="4" name="D"
            project_group_id="7"/></projects>)", "G", {}},
        {"a project outside the projects list", groupG + R"(<project id="5" name="E" project_group_id="7"/>
            <projects></projects>)", "G", {}},
        {"the groups after a projects list holding anything",
         R"(<projects><!-- c --><?pi x?>text<project id="1" name="A" project_group_id="7"><![CDATA[<a>]]><e/>
            <f>t<g/></f><!-- c --><?pi y?></project><project id="2" name="B" project_group_id="7"/></projects>)" + groupG,
         "G[A{},B{}]", {}},
        {"status ids split at each comma", groupG + R"(<projects>
            <project id="1" name="a" statuscodes="3,5," project_group_id="7"/>
            <project id="2" name="b" statuscodes="3,,5" project_group_id="7"/>
            <project id="3" name="c" statuscodes="," project_group_id="7"/>
            <project id="4" name="d" statuscodes="5,,," project_group_id="7"/></projects>
          <statuscodes><statuscode id="" name="Empty"/><statuscode id="3" name="Three"/><statuscode id="5" name="Five"/>
          </statuscodes>)",
         "G[a{Three,Five},b{Empty,Three,Five},c{Empty},d{Empty,Five}]", {"Empty", "Three", "Five"}},
        {"lists inside the projects list", R"(<projects>
            <project id="1" name="A" project_group_id="7" statuscodes="2,3"><x><projectgroups>
              <projectgroup id="7" name="G"><projectgroups><projectgroup id="9" name="Sub"/></projectgroups></projectgroup>
              </projectgroups></x><pages><page pagefrom="4"/></pages></project>
            <project id="2" name="B" project_group_id="9"/>
            <y><statuscodes><statuscode id="2" name="Two"/><z/><statuscode id="3" name="Three"/></statuscodes></y>
          </projects>
          <projectgroups><projectgroup id="8" name="Later"/></projectgroups>
          <statuscodes><statuscode id="2" name="Later two"/></statuscodes>)",
         "G[Sub[B{}],A 4..-1{Two,Three}]", {"Two", "Three"}},
        {"a loose code in the projects list inside the status codes",
         groupA + R"(<statuscodes><statuscode id="1" name="One"/><projects><statuscode id="2" name="Two"/>)" + p +
             "</projects></statuscodes>",
         "A[p{One,Two}]", {"One", "Two"}},
        {"a loose code inside a project answers before a later one with its id",
         groupA + R"(<statuscodes><projects><project id="5" name="p" statuscodes="2,1" project_group_id="1">
            <statuscode id="2" name="Loose"/></project></projects><statuscode id="1" name="One"/>
            <statuscode id="2" name="Later"/></statuscodes>)",
         "A[p{Loose,One}]", {"Loose", "One", "Later"}},
        {"a loose group in the projects list inside the groups answers for its id",
         R"(<projectgroups><projects><projectgroup id="2" name="Loose"><projectgroup id="3" name="Loose sub"/>
            </projectgroup><project id="5" name="p" project_group_id="2"/></projects>
            <projectgroup id="1" name="A"><projectgroups><projectgroup id="2" name="B"><projectgroups>
              <projectgroup id="4" name="B sub"/></projectgroups></projectgroup></projectgroups></projectgroup>
          </projectgroups>)",
         "A[B[Loose sub,p{}]]", {}},
        {"loose elements outside the first lists do not count",
         R"(<projectgroups><projectgroup id="1" name="A"><projectgroup id="2" name="B"/></projectgroup></projectgroups>
          <projects><projectgroup id="2" name="Loose"><projectgroup id="3" name="Loose sub"/></projectgroup>
            <statuscode id="1" name="Loose"/><project id="5" name="p" statuscodes="1" project_group_id="2"/></projects>
          <statuscodes><statuscode id="1" name="One"/></statuscodes>)",
         "A[B[p{One}]]", {"One"}},
        {"groups inside elements of other names",
         R"(<projectgroups><projectgroup id="1" name="A"><x a="1"><z><projectgroup id="2" name="In z">
            <projectgroup id="4" name="Under"/></projectgroup></z></x>text<projectgroup id="3" name="B"/></projectgroup>
            <y><projectgroup id="2" name="In y"/></y><projectgroup id="2" name="D"/></projectgroups>)",
         "A[B],D[Under]", {}},
        {"a list longer than a tag may be, in short pieces", groupA + shortPieces + "<projects>" + p + "</projects>",
         "A[p{}]", {}},
        {"as deep and as many attributes as taken", manyAttributes + "<projects>" + p + "</projects>" + deepCodes,
         "A[p{" + longName + "}]", {longName}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(fSettings.ProjectsFile(), "<projects>" + c.list + "</projects>");
        fModel.Rebuild();
        EXPECT_EQ(Outline(-1), c.tree);
        K2Vector<StatusCodeInfo> codes;
        TSPanelUtils::GetStatusCodesInfo(codes);
        Names names;
        for (const StatusCodeInfo& code : codes) names.push_back(code.name.GetUTF8String());
        EXPECT_EQ(names, c.codes) << "what the send dialog offers";
    }
}

// A project's page range comes from the first "page" inside its first "pages", at any depth;
// each number only when given. A "pages" or "page" counts for every open project that still
// looks for one, projects inside one another's pages included. Read while parsing, the range
// must agree with a walk of each project's element in a whole document.
TEST_F(TSPanelDataModelTest, APageRangeComesFromTheFirstPageOfTheFirstPages) {
    WriteFile(fSettings.ProjectsFile(), R"(<t><projectgroups><projectgroup id="7" name="G"/></projectgroups><projects>
        <project id="1" name="A" project_group_id="7"><pages>
          <project id="2" name="B" project_group_id="7"><pages><x><page pagefrom="1" pageto="2"/></x></pages>
            <pages><page pagefrom="9"/></pages></project>
          <page pagefrom="5"/></pages></project>
        <project id="3" name="C" project_group_id="7"><pages>
          <project id="4" name="D" project_group_id="7"/>
          <project id="5" name="E" project_group_id="7"><pages><page pageto="8"/></pages></project></pages></project>
        <project id="6" name="F" project_group_id="7"><x><project id="7" name="H" project_group_id="7"><pages/></project></x>
          <pages><page pagefrom="3" pageto="4"/></pages></project>
        <project id="8" name="I" project_group_id="7"><page pagefrom="1"/>
          <pages><pages><page pageto="6"/></pages><page pagefrom="2"/></pages></project>
        <project id="9" name="J" project_group_id="7"><x><pages><y><page pagefrom="2"/></y></pages></x>
          <pages><page pagefrom="8" pageto="9"/></pages></project>
        <project id="10" name="K" project_group_id="7"><pages></pages><page pagefrom="8" pageto="9"/></project>
        <project id="11" name="L" project_group_id="7"><pages><page pagefrom="1" pageto="1"/>
          <project id="12" name="M" project_group_id="7"><pages><page pagefrom="2" pageto="2"/></pages></project></pages></project>
      </projects></t>)");
    const std::map<std::string, std::pair<int32, int32>> expected = {
        {"A", {1, 2}},   {"B", {1, 2}},   {"C", {-1, 8}},  {"D", {-1, -1}}, {"E", {-1, 8}},
        {"F", {-1, -1}}, {"H", {-1, -1}}, {"I", {-1, 6}},  {"J", {2, -1}},  {"K", {-1, -1}},
        {"L", {1, 1}},   {"M", {2, 2}}};
    fModel.Rebuild();
    const int32 group = fModel.GetNthChildID(-1, 0);
    ASSERT_EQ(Children(group), (Names{"A", "B", "C", "D", "E", "F", "H", "I", "J", "K", "L", "M"}));
    xercesc::XercesDOMParser whole;
    whole.parse(fSettings.ProjectsFile().c_str());
    ASSERT_NE(whole.getDocument(), nullptr);
    xercesc::DOMNodeList* elements = whole.getDocument()->getElementsByTagName(u"project");
    ASSERT_EQ(elements->getLength(), expected.size());
    for (XMLSize_t i = 0; i < elements->getLength(); ++i) {
        std::unique_ptr<TSPanelNodeData> direct(
            domparseFile.GetProjectNode(static_cast<xercesc::DOMElement*>(elements->item(i))));
        ASSERT_TRUE(direct);
        const std::string name = direct->GetNodeName().GetUTF8String();
        SCOPED_TRACE(name);
        const TSPanelNodeData* record = fModel.GetNode(fModel.GetNthChildID(group, static_cast<int32>(i)));
        ASSERT_EQ(record->GetNodeName().GetUTF8String(), name);
        EXPECT_EQ(std::make_pair(record->GetPageFromInfo(), record->GetPageToInfo()), expected.at(name));
        EXPECT_EQ(std::make_pair(direct->GetPageFromInfo(), direct->GetPageToInfo()), expected.at(name));
    }
}

// The tree's own list, unchanged on disk, is not parsed again by a rebuild; a changed one is.
TEST_F(TSPanelDataModelTest, ARebuildParsesTheListOnlyWhenItChanged) {
    static const XMLCh kMark[] = u"tessaron-test-mark";
    fModel.Rebuild();
    Children(0);
    ASSERT_NE(domparseFile.GetRootElement(), nullptr);
    domparseFile.GetRootElement()->setUserData(kMark, &fModel, nullptr);
    fModel.Rebuild();
    ASSERT_NE(domparseFile.GetRootElement(), nullptr);
    EXPECT_EQ(domparseFile.GetRootElement()->getUserData(kMark), &fModel) << "parsed again";
    EXPECT_EQ(fModel.GetNthChildID(-1, 0), 2) << "numbered from 0 again";
    EXPECT_EQ(Children(0), (Names{"Sub A", "Sub B", "Eta", "Zeta"}));

    std::string renamed = kProjectsXml;
    renamed.replace(renamed.find("\"beta\""), 6, "\"Beta\"");
    WriteFile(fSettings.ProjectsFile(), renamed);
    fModel.Rebuild();
    EXPECT_EQ(Children(-1), (Names{"Alpha", "Beta", "Gr\xc3\xbcn", "Mixed", "alpha"}));
    domparseFile.GetRootElement()->setUserData(kMark, nullptr, nullptr);
}

}  // namespace
}  // namespace tsxmltest
