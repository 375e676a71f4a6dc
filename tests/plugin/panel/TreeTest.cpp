// The tree's own pieces and what hangs off its rows: node identities, the hierarchy
// adapter's answers for foreign and unknown nodes, the panel's size limits, the selection that
// follows the front document, and the menu of documents sent to the selected project (built
// from the document-path store, with the dynamic-action store it keeps) that a right click on
// a project's row pops up.
#include <algorithm>
#include <limits>

#include "FileUtils.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSDynActionIDsData.h"
#include "ITreeViewHierarchyAdapter.h"
#include "MemoryStream.h"
#include "MenuMgr.h"
#include "PanelTestSupport.h"
#include "TSPanelNodeID.h"
#include "UndoHistory.h"

namespace tspaneltest {
namespace {

using Items = std::vector<std::pair<uint32, std::string>>;

struct ForeignNode : NodeIDClass {
    NodeType GetNodeType() const override { return NodeType(0x7f7f1); }
    int32 Compare(const NodeIDClass*) const override { return 0; }
    NodeIDClass* Clone() const override { return new ForeignNode; }
    void Read(IPMStream*) override {}
    void Write(IPMStream*) const override {}
};

int32 IdOf(const NodeID& node) {
    return TSPanelNodeID::From(node) ? TSPanelNodeID::From(node)->GetProjectID() : std::numeric_limits<int32>::min();
}

TEST(TSPanelNodeID, ComparesSignedAndRoundTripsThroughAStream) {
    struct Case { int32 a, b, order; };
    for (const Case& c : {Case{3, 7, -1}, {7, 3, 1}, {-1, 0, -1}, {5, 5, 0}, {std::numeric_limits<int32>::min(), 0, -1}}) {
        TSPanelNodeID a(c.a), b(c.b);
        EXPECT_EQ(a.Compare(&b), c.order) << c.a << " vs " << c.b;
    }
    NodeID original(new TSPanelNodeID(42)), copy = original;
    EXPECT_TRUE(copy.Get() != original.Get() && IdOf(copy) == 42);
    tshost::MemoryStream out;
    original->Write(&out);
    EXPECT_EQ(out.Bytes().size(), 4u);
    tshost::MemoryStream in(out.Bytes());
    NodeID blank(new TSPanelNodeID(std::numeric_limits<int32>::min()));
    blank->Read(&in);
    EXPECT_TRUE(blank == original);
}

using TreeTest = PanelFixture;

TEST_F(TreeTest, TheAdapterAnswersForeignAndUnknownNodesAndThePanelKeepsItsSizeWithinItsLimits) {
    ASSERT_TRUE(ShowPanel());
    InterfacePtr<ITreeViewHierarchyAdapter> adapter(Widget(kTSProjectTreeWidgetID), IID_OF<ITreeViewHierarchyAdapter>());
    ASSERT_TRUE(adapter);
    NodeID root = adapter->GetRootNode(), alpha = adapter->GetNthChild(root, 0);
    EXPECT_EQ(IdOf(adapter->GetParentNode(alpha)), -1);
    EXPECT_EQ(adapter->GetGenericNodeID().GetNodeType(), kTSPanelNodeType);
    for (const NodeID& node : {NodeID(new ForeignNode), kInvalidNodeID}) {
        EXPECT_EQ(adapter->GetNumChildren(node), 0);
        EXPECT_FALSE(adapter->GetParentNode(node).IsValid());
        EXPECT_FALSE(adapter->GetNthChild(node, 0).IsValid());
        EXPECT_EQ(adapter->GetChildIndex(root, node), -1);
        EXPECT_EQ(adapter->GetChildIndex(node, alpha), -1);
    }
    NodeID unknown(new TSPanelNodeID(9999));
    EXPECT_EQ(adapter->GetNumChildren(unknown), 0);
    EXPECT_EQ(IdOf(adapter->GetParentNode(unknown)), -1);
    EXPECT_EQ(adapter->GetNumChildren(root), 3) << "the model is untouched";

    struct Case { PMReal w, h, ew, eh; };
    for (const Case& c : {Case{1200, 800, 1100, 700}, {300, 200, 400, 380}, {500, 500, 500, 500},
                          {1100.000000005, 700, 1100.000000005, 700}, {1100.00000002, 700, 1100, 700},
                          {399.999999995, 379.999999995, 399.999999995, 379.999999995},
                          {399.9999999, 379.9999999, 400, 380}, {50, 500, 400, 500}, {700, 90000, 700, 700}}) {
        PMPoint applied;
        ASSERT_EQ(tshost::PanelMgrState::Current()->Resize(kTSPanelWidgetID, c.w, c.h, applied), kSuccess);
        EXPECT_EQ(applied, PMPoint(c.ew, c.eh)) << c.w << " x " << c.h;
    }
    // The size is the view's persistent data: the panel shown again keeps it.
    HidePanel();
    ASSERT_TRUE(ShowPanel());
    InterfacePtr<IControlView> view(tshost::PanelMgrState::Current()->QueryPanelByWidgetID(kTSPanelWidgetID));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetFrame().Width(), 700);
    EXPECT_EQ(view->GetFrame().Height(), 700);
}

TEST_F(TreeTest, TheSelectionFollowsTheFrontDocumentsProjectWhenItIsLoaded) {
    IDocument *linked = NewDocument(1), *deep = NewDocument(1), *unlinked = NewDocument(1);
    for (const auto& [document, project] : {std::pair{linked, 202}, {deep, 201}})
        InterfacePtr<ITSDocData>(document, kTSDocDataInterfaceID)->SetProjectXMLID(project);
    // Another document comes to the front and then `document` again.
    auto bringBack = [&](IDocument* document) {
        IDocument* other = NewDocument(1);
        fHost->Docs().BringToFront(document);
        fHost->Docs().Close(other);
    };
    ASSERT_TRUE(ShowPanel());

    // Deep is not loaded until Inner's row appears, and a document never sent names nothing:
    // both leave the selection alone.
    Select("Alpha");
    for (IDocument* document : {deep, unlinked}) {
        bringBack(document);
        EXPECT_EQ(Rows(), (Lines{"+ <1002> Alpha [selected]", "+ <1002> Beta", "  <1002> Empty Group"}));
    }
    // Feature is loaded (Beta's row is shown): selected, and its group opened to show it.
    bringBack(linked);
    EXPECT_EQ(Rows(), (Lines{"+ <1002> Alpha", "- <1003> Beta", "  + <1002> Inner",
                             "    <1001> Feature [selected]", "  <1002> Empty Group"}));
    bringBack(deep);
    const Lines rows = Rows();
    ASSERT_GE(rows.size(), 4u) << "the tree has too few rows to show Deep";
    EXPECT_EQ(rows[2], "  - <1003> Inner");
    EXPECT_EQ(rows[3], "      <1001> Deep [selected]");

    // Two selected, one of them the project: replaced by the project alone.
    Select("Alpha");
    AddToSelection("Feature");
    bringBack(linked);
    EXPECT_EQ(Tree()->Selected(), std::vector<NodeID>{Node("Feature")});

    HidePanel();
    bringBack(deep);
    ASSERT_TRUE(ShowPanel());
    for (const std::string& line : Rows()) EXPECT_EQ(line.find("[selected]"), std::string::npos) << line;
}

// Records a document for a project and returns its path; the file exists unless `exists` is false.
std::string Record(const std::filesystem::path& file, int32 project, bool exists = true) {
    std::filesystem::create_directories(file.parent_path());
    if (exists) WriteFile(file, "indd");
    ITSDocPathPrjIdData::DataConatiner entry;
    FileUtils::IDFileToPMString(FileUtils::FromPosixPath(file.string()), entry.docPath);
    entry.prjID = project;
    WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID)->SetDocPathPrjIdData(entry);
    return entry.docPath.GetUTF8String();
}

// The menu of the selected project's documents as the host shows it, its dynamic part rebuilt
// (a separator is "----"), then the dynamic-action store's entries.
Items DocumentsMenu() {
    tshost::MenuMgr* menus = tshost::MenuMgr::Current();
    Items items;
    for (const tshost::MenuEntry& e : menus->Prepare(menus->Resolve("0x61000kTSDynMnuTargetMenuPath"), SysPoint{}, nullptr))
        items.emplace_back(e.action.Get(), e.kind == tshost::MenuEntry::kSeparator ? "----" : e.label);
    for (const auto& [id, path] : WorkspaceData<ITSDynActionIDsData>(kTSDynActionIDsDataInterfaceID)->GetActionIDsDataMap())
        items.emplace_back(id.Get(), path.GetUTF8String());
    return items;
}

TEST_F(TreeTest, ADocumentsMenuListsTheSelectedProjectsExistingDocumentsAndARightClickPopsItUp) {
    ASSERT_TRUE(ShowPanel());
    Toggle("Alpha");
    Toggle("Beta");
    const std::filesystem::path docs = std::filesystem::path(fHome) / "docs";
    std::string flyer = Record(docs / "a/Flyer.indd", 101);
    Record(docs / "a/Gone.indd", 101, false);
    std::string other = Record(docs / "a/Other.indd", 202);
    std::string poster = Record(docs / "a/Poster.indd", 101);
    std::string again = Record(docs / "b/Flyer.indd", 101);

    Select("Cover");
    const Items expected = {{0x61033, "----"}, {0x61034, "Flyer.indd"}, {0x61035, "Poster.indd"}, {0x61036, "Flyer.indd"},
                            {0x61034, flyer},  {0x61035, poster},       {0x61036, again}};
    EXPECT_EQ(DocumentsMenu(), expected);
    EXPECT_EQ(DocumentsMenu(), expected) << "rebuilt, none left over";
    EXPECT_FALSE(tshost::UndoHistory::Get().CanUndo()) << "a rebuilt menu is not the user's to undo";
    // Another project: its own documents only, numbered from the start.
    Select("Feature");
    EXPECT_EQ(DocumentsMenu(), (Items{{0x61033, "----"}, {0x61034, "Other.indd"}, {0x61034, other}}));
    // A group, or nothing selected: no items, no separator, and the store empties.
    Select("Alpha");
    EXPECT_TRUE(DocumentsMenu().empty()) << "a group";
    Select("Feature");
    DocumentsMenu();
    Tree()->DeselectAll(true);
    EXPECT_TRUE(DocumentsMenu().empty()) << "nothing selected";

    // A right click on a project selects only it and pops its menu up where clicked.
    Select("Alpha");
    AddToSelection("Feature");
    fTranscript.clear();
    tshost::Event down(IEvent::kRButtonDn, SysPoint{25, 47});
    EXPECT_TRUE(tshost::Deliver(RowWidget("Cover"), down));
    EXPECT_EQ(Tree()->Selected(), std::vector<NodeID>{Node("Cover")});
    auto popUp = std::find_if(fTranscript.begin(), fTranscript.end(),
                              [](const std::string& l) { return l.rfind("pop-up menu ", 0) == 0; });
    ASSERT_NE(popUp, fTranscript.end());
    EXPECT_NE(popUp->find(" at 25,47:"), std::string::npos) << *popUp;
    EXPECT_TRUE(std::any_of(popUp, fTranscript.end(), [](const std::string& l) { return l.rfind("  Poster.indd", 0) == 0; }));

    // On a group the host's own handling runs: no pop-up, the selection stays; a left click
    // still reaches the host and selects.
    fTranscript.clear();
    tshost::Event onGroup(IEvent::kRButtonDn, SysPoint{5, 5});
    tshost::Deliver(RowWidget("Alpha"), onGroup);
    for (const std::string& line : fTranscript) EXPECT_EQ(line.rfind("pop-up menu ", 0), std::string::npos) << line;
    EXPECT_EQ(Tree()->Selected(), std::vector<NodeID>{Node("Cover")});
    tshost::Click(RowWidget("Alpha"));
    EXPECT_EQ(Tree()->Selected(), std::vector<NodeID>{Node("Alpha")});
}

}  // namespace
}  // namespace tspaneltest
