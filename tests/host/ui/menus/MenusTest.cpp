// Actions and menus: fixed items in position order, host-enabled actions never asked about,
// the dynamic menu rebuilt before it is shown and found by key or by translated path,
// pop-up answers, the managers' add/remove rules, and the resource file's "actions" and
// "menus" checks.
#include <nlohmann/json.hpp>

#include "ActionMgr.h"
#include "MenuMgr.h"
#include "ResourceSections.h"
#include "TreeFixture.h"

namespace treetest {
namespace {

using nlohmann::json;

class MenusTest : public TreeFixture {
protected:
    tshost::MenuMgr& Menus() { return *tshost::MenuMgr::Current(); }
    Lines Show(const std::string& path) { return tshost::MenuMgr::Lines(Menus().Prepare(Menus().Resolve(path), SysPoint{}, nullptr)); }
    bool Choose(const char* item, bool& chosen) { return Menus().Choose("Main:Test", item, SysPoint{}, nullptr, chosen, error); }
};

TEST_F(MenusTest, ComponentActionsAreAskedBeforeShowingAndDisabledOnesDoNotRun) {
    M().disabled = {kSendAction.Get()};
    EXPECT_EQ(Show("Main:Test"), (Lines{"  About Tree Test...", "  ----", "  Send... (disabled)", "  Settings...", "  Documents >"}));
    EXPECT_EQ(M().Take(), "states 0x7f704,0x7f706") << "About is the host's to enable";
    bool chosen = true;
    ASSERT_TRUE(Choose("Send...", chosen)) << error;
    EXPECT_FALSE(chosen);
    ASSERT_TRUE(Choose("About Tree Test...", chosen)) << error;
    EXPECT_TRUE(chosen);
    EXPECT_FALSE(Choose("Nothing", chosen));
    EXPECT_EQ(error, "menu Main:Test has no item \"Nothing\"");
    EXPECT_EQ(M().Take(), "states 0x7f704,0x7f706; states 0x7f704,0x7f706; do 0x7f700; states 0x7f704,0x7f706");
}

TEST_F(MenusTest, TheDynamicMenuIsRebuiltBeforeEachShowingAndPopUpsTakeTheScriptedAnswer) {
    // Shown and chosen with the model's documents, and a pop-up's chosen or missing answer:
    // the ui_tree_menus scenario.
    M().documents = {"Report.indd"};
    EXPECT_EQ(Show(kPopupPath), (Lines{"  ----", "  Report.indd"}));
    // The same key translatable or not names one menu.
    EXPECT_EQ(Menus().CountMenuItems(PMString(kPopupPath)), 2);
    EXPECT_EQ(Menus().CountMenuItems(PMString(kPopupPath, PMString::kNoTranslate)), 2);
    M().documents.clear();
    EXPECT_EQ(Show(kPopupPath), Lines{"  (empty)"});

    M().documents = {"Flyer.indd", "Poster.indd"};
    M().disabled = {0x7f734};
    for (auto [answer, shownLast] : {std::pair{"Flyer.indd", "-> Flyer.indd is disabled; dismissed"},
                                     {"Missing.indd", "-> \"Missing.indd\" is not in the menu; dismissed"}}) {
        Menus().QueueAnswer(answer);
        M().Take();
        EXPECT_EQ(Menus().HandlePopupMenu(PMString(kPopupPath), SysPoint{1, 2}, SysPoint{1, 2}, kTrue, nullptr), kInvalidActionID);
        EXPECT_EQ(shown.back(), shownLast);
        EXPECT_EQ(M().Take().find("do "), std::string::npos) << answer;
    }
}

TEST_F(MenusTest, TheManagersAddRemoveAndReplaceByTheirRules) {
    tshost::ActionMgr& mgr = *tshost::ActionMgr::Current();
    IActionManager* actions = &mgr;
    IMenuManager* menus = &Menus();
    InterfacePtr<IActionComponent> component(mgr.ComponentBoss(mgr.Find(kSendAction)->componentClass), IID_OF<IActionComponent>());
    const ActionID extra(0x7f7f0);
    EXPECT_EQ(actions->AddAction(nullptr, extra, PMString("X"), PMString("A")), kInvalidParameterError);
    EXPECT_EQ(actions->AddAction(component.get(), extra, PMString("First", PMString::kNoTranslate), PMString("A"), 0, 0), kSuccess);
    EXPECT_EQ(actions->AddAction(component.get(), extra, PMString("Second", PMString::kNoTranslate), PMString("A"), 0, 0), kSuccess);
    EXPECT_EQ(menus->AddMenuItem(extra, PMString("Main:Test"), 2.0), kSuccess);
    EXPECT_EQ(menus->AddMenuItem(extra, PMString("Main:Test"), 20.0), kSuccess) << "adding again moves the item";
    EXPECT_EQ(menus->AddMenuItem(kInvalidActionID, PMString("Main:Test"), 1.0), kInvalidParameterError);
    EXPECT_EQ(Show("Main:Test"), (Lines{"  About Tree Test...", "  ----", "  Send...", "  Settings...", "  Second", "  Documents >"}));
    EXPECT_EQ(M().Take(), "states 0x7f704,0x7f706") << "an always-enabled added action is not asked about";

    EXPECT_EQ(actions->RemoveAction(extra, kTrue, ClassID(0x12345)), kFailure) << "another class's action stays";
    EXPECT_EQ(actions->RemoveAction(extra, kTrue, kInvalidClass), kSuccess);
    EXPECT_EQ(actions->RemoveAction(extra, kFalse, kInvalidClass), kFailure);
    EXPECT_EQ(menus->RemoveMenuItem(PMString("Main:Test"), extra), kFailure) << "removeMenuItems took the item";
    EXPECT_EQ(menus->RemoveMenuItem(PMString("Nowhere"), kSendAction), kFailure);
    EXPECT_EQ(actions->PerformAction(nullptr, kSendAction), kSuccess);
    M().disabled = {kSendAction.Get()};
    EXPECT_EQ(actions->PerformAction(nullptr, kSendAction), kFailure) << "a disabled action does not run";
    EXPECT_EQ(M().Take(), "states 0x7f704; do 0x7f704; states 0x7f704");
}

TEST_F(MenusTest, TheResourceFileSectionsRefuseMalformedEntries) {
    std::tuple<const char*, const char*, const char*> cases[] = {  // section, entries, error (null: accepted)
        {"actions", R"([{"id": "0x7f7a0", "component": "kTestActionBoss", "label": "L"}])", nullptr},
        {"actions", R"({"id": 1})", "must be an array of actions"},
        {"actions", R"([{"id": "0x7f7a0", "label": "L"}])", "/0: \"component\" is missing"},
        {"actions", R"([{"id": "zz", "component": "C", "label": "L"}])", "/0/id: not an action ID"},
        {"actions", R"([{"id": "0x7f704", "component": "C", "label": "L"}])", "/0/id: action 0x7f704 is defined already"},
        {"actions", R"([{"id": 5, "component": "C", "label": "L"}, {"id": "0x5", "component": "C", "label": "L"}])",
         "/1/id: action 0x5 is defined already"},
        {"actions", R"([{"id": 5, "component": "C", "label": "L", "menu": "M"}])", "/0: \"menu\" and \"position\" go together"},
        {"actions", R"([{"id": 5, "component": "C", "label": "L", "menu": "M:-", "position": 1}])",
         "/0/menu: must be a menu path (separators go under \"menus\")"},
        {"actions", R"([{"id": 5, "component": "C", "label": "L", "enabling": "always"}])",
         "/0/enabling: must be \"component\" or \"host\""},
        {"actions", R"([{"id": 5, "component": "C", "label": "L", "colour": "red"}])", "/0/colour: unknown key"},
        {"menus", R"([{"path": "A:-", "position": 2}, {"path": "A", "dynamic": "C"}])", nullptr},
        {"menus", R"(["later"])", "/0: must be an object"},
        {"menus", R"([{"path": ":-", "position": 2}])", "/0/path: a separator needs the path of its menu"},
        {"menus", R"([{"path": "A", "position": 2}])",
         "/0: a separator (path ending in \":-\") has a \"position\", a dynamic menu a \"dynamic\" class"},
        {"menus", R"([{"path": "A:-", "position": "2"}])", "/0/position: must be a number"},
    };
    for (auto [key, text, refusal] : cases) {
        error.clear();
        EXPECT_EQ(tshost::ResourceSection::Find(key)->Check(kPluginID, json::parse(text), error), refusal == nullptr) << text;
        EXPECT_EQ(error, refusal ? refusal : "") << text;
    }
    // Applied, an unknown class is left out with a diagnostic.
    auto unknown = json::parse(R"([{"id": 6, "component": "kNoSuchBoss", "label": "L"}])");
    tshost::ResourceSection::Find("actions")->Apply(kPluginID, unknown);
    EXPECT_FALSE(tshost::ActionMgr::Current()->IsValidAction(ActionID(6)));
    EXPECT_EQ(diagnosed.back(), "actions/0: unknown component class \"kNoSuchBoss\"; the action is left out");
}

}  // namespace
}  // namespace treetest
