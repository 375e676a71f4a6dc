// The "views" section and the widgets built from it, subjects' broadcast rules, dialogs,
// panels and Preferences, driven as the plug-in and the user drive them.
#include <gmock/gmock.h>

#include <functional>
#include <tuple>

#include "Boss.h"
#include "CObserver.h"
#include "Dialogs.h"
#include "Events.h"
#include "IDropDownListController.h"
#include "IPanelControlData.h"
#include "IPanelMgr.h"
#include "IPanelSwitcher.h"
#include "IStringListControlData.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "Panels.h"
#include "Preferences.h"
#include "UiFixture.h"
#include "UiTestPlugin.h"
#include "UtilsBoss.h"
#include "WidgetImpls.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace uitest {
namespace {

using ::testing::HasSubstr;

class UiFixture : public tstest::PluginUiFixture {
protected:
    void SetUp() override {
        Rec() = Recorder{};
        Boot(UiTestGetPlugIn, TS_UI_PLUGIN_JSON);
    }
};
using UiTest = UiFixture;
using nlohmann::json;

class DialogTest : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(dialog = Open());
        EXPECT_EQ(Rec().Take(), "init; attach") << "the set-up's own radio selection came before attach, so none was heard";
    }
    IDialog* Open() {
        RsrcSpec view(MLocaleSetting::GetLocale(), kUiTestPluginID, kViewRsrcType, kDialogView);
        IDialog* opened = tshost::DialogMgr::Current()->CreateNewDialog(view, 1, kTrue, kTrue);
        if (opened) opened->Open(0);
        return opened;
    }
    IControlView* W(WidgetID id) { return tshost::FindWidgetFrom(dialog, id); }
    bool Press(WidgetID id) { return tshost::PressDialogButton(dialog, id, error); }
    std::string Text(WidgetID id) {
        InterfacePtr<ITextControlData> text(W(id), IID_OF<ITextControlData>());
        return text ? text->GetString().GetUTF8String() : "(none)";
    }
    IDialog* dialog = nullptr;
};

// A valid OK applying and closing: the ui_dialogs scenario.
TEST_F(DialogTest, AnInvalidFieldKeepsTheDialogOpenAndCancelNeverApplies) {
    EXPECT_TRUE(tshost::ModalScope::AnyUp()) << "idle tasks wait while the dialog is up";
    tshost::DialogMgr::Current()->Reap();
    Rec().invalidWidget = kNameBox.Get();
    ASSERT_TRUE(Press(kOKButtonWidgetID)) << error;
    EXPECT_EQ(Rec().Take(), "update 0x768 0x602 on 0x62b; validate");
    EXPECT_THAT(shown.back(), HasSubstr("stays open: widget 0x7e416 is not valid"));
    ASSERT_TRUE(Press(kCancelButtonWidgetID));
    EXPECT_EQ(Rec().Take(), "update 0x768 0x603 on 0x62b; cancelled; closing; detach");
    EXPECT_FALSE(tshost::ModalScope::AnyUp());
    tshost::DialogMgr::Current()->Reap();
    EXPECT_TRUE(tshost::DialogMgr::Current()->OpenDialogs().empty());
    ASSERT_TRUE(dialog = Open()) << "the next dialog starts afresh";
    EXPECT_EQ(Rec().Take(), "init; attach");
}

// Each typed key reaching the observer once, with nested radio broadcasts only on a real
// change: the ui_dialogs scenario.
TEST_F(DialogTest, NestedBroadcastsAreBounded) {
    Rec().echoStorm = true;
    tshost::TypeText(W(kRangeBox), "x");
    EXPECT_THAT(diagnosed, ::testing::Contains(HasSubstr("nested more than 64 deep")));
    EXPECT_EQ(Text(kRangeBox), "x");
}

TEST_F(DialogTest, DisabledOrHiddenWidgetsAndEmptyListsRefuseQuietly) {
    W(kOKButtonWidgetID)->Disable();
    EXPECT_FALSE(Press(kOKButtonWidgetID));
    EXPECT_THAT(error, HasSubstr("disabled"));
    W(kPagesGroup)->Hide();
    EXPECT_FALSE(Press(kAllRadio)) << "hidden with its group";
    EXPECT_EQ(Rec().Take(), "");

    InterfacePtr<IStringListControlData> list(W(kPresetDropDown), IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> controller(W(kPresetDropDown), IID_OF<IDropDownListController>());
    list->AddString(PMString("First"), 0);
    EXPECT_EQ(Text(kPresetDropDown), "[High Quality Print]") << "an insertion before it keeps the selection";
    list->Clear();
    controller->Select(0);
    EXPECT_EQ(controller->GetSelected(), IDropDownListController::kNoSelection);
    EXPECT_EQ(Text(kPresetDropDown), "");
}

// Its observers attached once it is findable and detached at hiding: the ui_dialogs scenario.
TEST_F(UiTest, PanelIsNullWhileClosedAndKeepsItsExactSize) {
    tshost::PanelMgrState& panels = *tshost::PanelMgrState::Current();
    InterfacePtr<IPanelMgr> utility(UtilsBoss::QueryUtils<IPanelMgr>());
    EXPECT_FALSE(InterfacePtr<IControlView>(utility->QueryPanelByWidgetID(kPanelWidget)));
    ASSERT_EQ(panels.ShowPanelByWidgetID(kPanelWidget), kSuccess);
    // The plug-in's constraint compares exactly; the applied size survives hide and show.
    PMPoint applied;
    ASSERT_EQ(panels.Resize(kPanelWidget, 1100.000000005, 200, applied), kSuccess);
    EXPECT_EQ(applied, PMPoint(1100.000000005, 380));
    ASSERT_EQ(panels.HidePanelByWidgetID(kPanelWidget), kSuccess);
    EXPECT_FALSE(InterfacePtr<IControlView>(utility->QueryPanelByWidgetID(kPanelWidget)));
    EXPECT_EQ(panels.HidePanelByWidgetID(kPanelWidget), kFailure);
    EXPECT_EQ(panels.ShowPanelByWidgetID(WidgetID(0x123)), kFailure);
    ASSERT_EQ(panels.ShowPanelByWidgetID(kPanelWidget), kSuccess);
    EXPECT_EQ(InterfacePtr<IControlView>(utility->QueryPanelByWidgetID(kPanelWidget))->GetFrame(), PMRect(0, 0, 1100.000000005, 380));
}

// Browse and the folder dialog: the ui_dialogs scenario.
TEST_F(UiTest, PreferencesOpenOnTheirPageAndValidateIt) {
    EXPECT_FALSE(tshost::OpenPreferences(WidgetID(0x4711), error));
    EXPECT_THAT(error, HasSubstr("no Preferences page"));
    IDialog* dialog = tshost::OpenPreferences(kPrefsPage, error);
    ASSERT_TRUE(dialog) << error;
    EXPECT_EQ(Rec().Take(), "prefs init; prefs attach");
    InterfacePtr<IPanelSwitcher> switcher(tshost::FindWidgetFrom(dialog, kPrefsPanelSwitcherWidgetID), IID_OF<IPanelSwitcher>());
    EXPECT_EQ(switcher->GetCurrentPanel(), kPrefsPage);

    Rec().invalidWidget = kPrefsUser.Get();
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "prefs validate");
    Rec().invalidWidget = 0;
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "prefs validate; prefs apply user=ana; prefs detach");
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_FALSE(switcher->SwitchToPanel(WidgetID(0x999)));
}

TEST_F(UiTest, BadViewsAreRefusedNamingThePlace) {
    json deep = {{"kind", "group"}};
    for (int i = 0; i < 70; ++i) deep = {{"kind", "group"}, {"children", json::array({deep})}};
    deep["id"] = 7u;
    json wide = {{"id", 8u}, {"kind", "group"}, {"children", json::array()}};
    for (int i = 0; i < 5000; ++i) wide["children"].push_back({{"kind", "widget"}});
    std::tuple<json, const char*, const char*> cases[] = {
        {json::parse(R"({"x": 1})"), "/views", "must be an array"},
        {json::parse(R"([{"kind": "dialog"}])"), "/views/0", "missing \"id\""},
        {json::parse(R"([{"id": 1, "kind": "sofa"}])"), "/views/0/kind", "unknown widget kind"},
        {json::parse(R"([{"id": 1, "kind": "dialog"}, {"id": 1, "kind": "dialog"}])"), "/views/1/id", "given twice"},
        {json::parse(R"([{"id": 1, "kind": "dialog", "children": [{"kind": "button", "children": [{"kind": "widget"}]}]}])"),
         "/views/0/children/0/children", "a button holds no children"},
        {json::parse(R"([{"id": 1, "kind": "dialog", "frame": [0, 0, 1]}])"), "/views/0/frame", "[left, top, right, bottom]"},
        {json::parse(R"([{"id": 1, "kind": "dialog", "children": [{"kind": "edit-box", "widget": "0xZZ"}]}])"),
         "/views/0/children/0/widget", "bad widget ID"},
        {json::parse(R"([{"id": 1, "kind": "panel"}])"), "/views/0", "needs its \"widget\""},
        {json::parse(R"([{"id": 1, "kind": "progress-bar", "min": 5, "max": 1}])"), "/views/0/max", "below"},
        {json::parse(R"([{"id": 1, "kind": "drop-down", "items": ["a", 2]}])"), "/views/0/items/1", "must be a string"},
        {json::array({deep}), "/views/0", "64 levels"},
        {json::array({wide}), "/views/0", "4096 widgets"},
    };
    for (const auto& [resource, where, what] : cases) {
        std::vector<tshost::ViewSpec> views;
        EXPECT_FALSE(tshost::ViewResources::Parse(PluginID(9), resource, views, error)) << resource.dump().substr(0, 200);
        EXPECT_THAT(error, HasSubstr(where)) << what;
        EXPECT_THAT(error, HasSubstr(what));
    }
}

TEST_F(UiTest, WidgetsAreFoundAsDeepAsAskedAndClassesThatMakeNoneAreRefused) {
    InterfacePtr<IPMUnknown> dialog(tshost::BuildView(kUiTestPluginID, kDialogView, error));
    InterfacePtr<IPanelControlData> panel(dialog.get(), IID_OF<IPanelControlData>());
    ASSERT_TRUE(panel) << error;
    EXPECT_TRUE(panel->FindWidget(kAllRadio, 9999));
    EXPECT_FALSE(panel->FindWidget(kAllRadio, 2)) << "the radio sits three levels down";
    EXPECT_TRUE(panel->FindWidget(kAllRadio, 3));
    EXPECT_FALSE(panel->FindWidget(WidgetID(0x7e440))) << "the panel itself is not searched";
    EXPECT_EQ(tshost::WidgetName(panel->FindWidget(kRangeRadio)), "0x7e440/0x7e411/0x7e412/0x7e414");

    tshost::WidgetSpec spec;
    spec.kind = "group";
    for (auto [boss, what] : {std::pair{"kUiPrefsCreatorBoss", "no widget class"}, {"kNoSuchBoss", "unknown class"}}) {
        spec.boss = boss;
        EXPECT_FALSE(tshost::BuildWidget(spec, kUiTestPluginID, error));
        EXPECT_THAT(error, HasSubstr(what));
    }
    EXPECT_FALSE(tshost::BuildView(kUiTestPluginID, RsrcID(4242), error));
}

// A panel's children changed one at a time and all at once: each is found at its place,
// holds one reference from the panel and names it as its parent; one that left holds neither.
TEST_F(UiTest, PanelChildrenKeepTheirPlaceAndOneReferenceThroughEveryChange) {
    tshost::WidgetSpec spec;
    spec.kind = "group";
    InterfacePtr<IPMUnknown> group(tshost::BuildWidget(spec, kUiTestPluginID, error));
    InterfacePtr<IPanelControlData> panel(group.get(), IID_OF<IPanelControlData>());
    ASSERT_TRUE(panel) << error;
    auto* children = dynamic_cast<tshost::PanelControlData*>(panel.get());
    ASSERT_TRUE(children);
    spec.kind = "button";
    std::vector<InterfacePtr<IPMUnknown>> owners;
    std::vector<IControlView*> w;
    for (int i = 0; i < 6; ++i) {
        owners.emplace_back(tshost::BuildWidget(spec, kUiTestPluginID, error));
        w.push_back(tshost::ViewOf(owners.back().get()));
        ASSERT_TRUE(w.back()) << error;
    }
    using Change = std::function<void()>;
    const std::vector<std::tuple<const char*, Change, std::vector<int>>> steps = {
        {"added in turn", [&] { for (int i = 0; i < 5; ++i) panel->AddWidget(w[i]); }, {0, 1, 2, 3, 4}},
        {"added twice", [&] { panel->AddWidget(w[2]); }, {0, 1, 2, 3, 4}},
        {"removed between others", [&] { EXPECT_TRUE(panel->RemoveWidget(w[1])); }, {0, 2, 3, 4}},
        {"removed when gone", [&] { EXPECT_FALSE(panel->RemoveWidget(w[1])); }, {0, 2, 3, 4}},
        {"removed first", [&] { EXPECT_TRUE(panel->RemoveWidget(w[0])); }, {2, 3, 4}},
        {"set, moved, one new, twice given", [&] { children->SetChildren({w[4], w[5], nullptr, w[2], w[4]}); }, {4, 5, 2}},
        {"removed after a set", [&] { EXPECT_TRUE(panel->RemoveWidget(w[5])); }, {4, 2}},
        {"added after a set", [&] { panel->AddWidget(w[0]); }, {4, 2, 0}},
        {"set to none", [&] { children->SetChildren({}); }, {}},
    };
    for (const auto& [step, change, expected] : steps) {
        change();
        ASSERT_EQ(panel->Length(), static_cast<int32>(expected.size())) << step;
        for (std::size_t at = 0; at < expected.size(); ++at) {
            EXPECT_EQ(panel->GetWidget(static_cast<int32>(at)), w[expected[at]]) << step << " at " << at;
            EXPECT_EQ(panel->GetIndex(w[expected[at]]), static_cast<int32>(at)) << step << " at " << at;
        }
        for (int i = 0; i < 6; ++i) {
            const bool in = std::find(expected.begin(), expected.end(), i) != expected.end();
            EXPECT_EQ(tshost::Boss::From(tshost::ParentOf(w[i])), in ? tshost::Boss::From(group.get()) : nullptr) << step << " " << i;
            EXPECT_EQ(tshost::Boss::From(w[i])->RefCount(), in ? 2 : 1) << step << " " << i;
            if (!in) {
                EXPECT_EQ(panel->GetIndex(w[i]), -1) << step << " " << i;
            }
        }
    }
}

// Detaches `victim` and attaches `late` whenever it hears a change.
struct Meddler : CObserver {
    Meddler() : CObserver(nullptr) {}
    void AddRef() const override {}
    void Release() const override {}
    IPMUnknown* QueryInterface(PMIID) const override { return nullptr; }
    void Update(const ClassID&, ISubject* subject, const PMIID& protocol, void*) override {
        ++heard;
        if (victim) subject->DetachObserver(victim, protocol);
        if (late) subject->AttachObserver(late, protocol);
    }
    IObserver *victim = nullptr, *late = nullptr;
    int heard = 0;
};

TEST_F(UiTest, ObserversDetachedOrAttachedDuringABroadcastSitItOut) {
    InterfacePtr<IPMUnknown> dialog(tshost::BuildView(kUiTestPluginID, kDialogView, error));
    InterfacePtr<ISubject> subject(tshost::FindWidgetFrom(dialog.get(), kOKButtonWidgetID), IID_OF<ISubject>());
    ASSERT_TRUE(subject) << error;
    Meddler first, second, third;
    first.victim = &second;
    first.late = &third;
    for (Meddler* observer : {&first, &first, &second}) subject->AttachObserver(observer, IID_ITRISTATECONTROLDATA);
    subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA);
    subject->Change(kTrueStateMessage, IID_IBOOLEANCONTROLDATA);
    EXPECT_EQ(std::make_tuple(first.heard, second.heard, third.heard), std::make_tuple(1, 0, 0))
        << "one attachment for two attaches; another protocol goes unheard";
    first.late = nullptr;
    first.SetEnabled(kFalse);
    subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA);
    EXPECT_EQ(std::make_tuple(first.heard, third.heard), std::make_tuple(1, 1)) << "a disabled observer hears nothing";
    for (Meddler* observer : {&first, &third}) subject->DetachObserver(observer, IID_ITRISTATECONTROLDATA);
    EXPECT_EQ(subject->CountObservers(IID_ITRISTATECONTROLDATA), 0);
}

}  // namespace
}  // namespace uitest
