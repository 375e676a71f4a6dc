// The "views" section, the widget tree built from it, and the subject's broadcast rules.
#include <gmock/gmock.h>

#include "CObserver.h"
#include "IControlView.h"
#include "IPanelControlData.h"
#include "ISubject.h"
#include "InterfacePtr.h"
#include "ResourceFile.h"
#include "UiFixture.h"
#include "ViewResources.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace uitest {
namespace {

using ::testing::HasSubstr;

class ViewTest : public UiFixture {};

TEST_F(ViewTest, BadViewsAreRefusedNamingThePlace) {
    struct Case {
        const char* json;
        const char* where;
        const char* what;
    } cases[] = {
        {R"({"x": 1})", "/views", "must be an array"},
        {R"([{"kind": "dialog"}])", "/views/0", "missing \"id\""},
        {R"([{"id": 1, "kind": "sofa"}])", "/views/0/kind", "unknown widget kind"},
        {R"([{"id": 1, "kind": "dialog"}, {"id": 1, "kind": "dialog"}])", "/views/1/id", "given twice"},
        {R"([{"id": 1, "kind": "dialog", "children": [{"kind": "button", "children": [{"kind": "widget"}]}]}])",
         "/views/0/children/0/children", "a button holds no children"},
        {R"([{"id": 1, "kind": "dialog", "frame": [0, 0, 1]}])", "/views/0/frame", "[left, top, right, bottom]"},
        {R"([{"id": 1, "kind": "dialog", "children": [{"kind": "edit-box", "widget": "0xZZ"}]}])", "/views/0/children/0/widget", "bad widget ID"},
        {R"([{"id": 1, "kind": "panel"}])", "/views/0", "needs its \"widget\""},
        {R"([{"id": 1, "kind": "progress-bar", "min": 5, "max": 1}])", "/views/0/max", "below"},
        {R"([{"id": 1, "kind": "drop-down", "items": ["a", 2]}])", "/views/0/items/1", "must be a string"},
    };
    for (const Case& c : cases) {
        std::vector<tshost::ViewSpec> views;
        std::string error;
        EXPECT_FALSE(tshost::ViewResources::Parse(PluginID(9), nlohmann::json::parse(c.json), views, error)) << c.json;
        EXPECT_THAT(error, HasSubstr(c.where)) << c.json;
        EXPECT_THAT(error, HasSubstr(c.what)) << c.json;
    }
}

TEST_F(ViewTest, DeepAndHugeViewsAreRefusedNotBuilt) {
    nlohmann::json deep = {{"kind", "group"}};
    for (int i = 0; i < 70; ++i) deep = {{"kind", "group"}, {"children", nlohmann::json::array({deep})}};
    deep["id"] = 7u;
    nlohmann::json wide = {{"id", 8u}, {"kind", "group"}, {"children", nlohmann::json::array()}};
    for (int i = 0; i < 5000; ++i) wide["children"].push_back({{"kind", "widget"}});
    for (const nlohmann::json& view : {deep, wide}) {
        std::vector<tshost::ViewSpec> views;
        std::string error;
        EXPECT_FALSE(tshost::ViewResources::Parse(PluginID(9), nlohmann::json::array({view}), views, error));
        EXPECT_THAT(error, ::testing::AnyOf(HasSubstr("64 levels"), HasSubstr("4096 widgets")));
    }
}

TEST_F(ViewTest, AClassThatIsNoWidgetIsRefusedWhenBuilt) {
    tshost::WidgetSpec spec;
    spec.kind = "group";
    spec.boss = "kUiPrefsCreatorBoss";
    std::string error;
    EXPECT_FALSE(tshost::BuildWidget(spec, kUiTestPluginID, error));
    EXPECT_THAT(error, HasSubstr("no widget class"));
    spec.boss = "kNoSuchBoss";
    EXPECT_FALSE(tshost::BuildWidget(spec, kUiTestPluginID, error));
    EXPECT_THAT(error, HasSubstr("unknown class"));
}

TEST_F(ViewTest, FindWidgetSearchesAsDeepAsAskedAndFramesReadBackExactly) {
    std::string error;
    InterfacePtr<IPMUnknown> dialog(tshost::BuildView(kUiTestPluginID, kDialogView, error));
    ASSERT_TRUE(dialog) << error;
    InterfacePtr<IPanelControlData> panel(dialog.get(), IID_OF<IPanelControlData>());
    EXPECT_TRUE(panel->FindWidget(kAllRadio, 9999));
    EXPECT_FALSE(panel->FindWidget(kAllRadio, 2)) << "the radio sits three levels down";
    EXPECT_TRUE(panel->FindWidget(kAllRadio, 3));
    EXPECT_FALSE(panel->FindWidget(WidgetID(0x7e440))) << "the panel itself is not searched";
    IControlView* group = panel->FindWidget(kPagesGroup);
    PMRect frame(0.1, 0.2, 1100.00000001, 399.99999999);
    group->SetFrame(frame);
    EXPECT_EQ(group->GetFrame(), frame);
    EXPECT_EQ(tshost::WidgetName(panel->FindWidget(kRangeRadio)), "0x7e440/0x7e411/0x7e412/0x7e414");
}

// Detaches another observer on the first change it hears.
class Detacher : public CObserver {
public:
    Detacher() : CObserver(nullptr) {}
    void AddRef() const override {}
    void Release() const override {}
    IPMUnknown* QueryInterface(PMIID) const override { return nullptr; }
    void Update(const ClassID&, ISubject* subject, const PMIID& protocol, void*) override {
        ++heard;
        if (victim) subject->DetachObserver(victim, protocol);
        if (late) subject->AttachObserver(late, protocol);
    }
    IObserver* victim = nullptr;
    IObserver* late = nullptr;
    int heard = 0;
};

TEST_F(ViewTest, ObserversDetachedOrAttachedDuringABroadcastSitItOut) {
    std::string error;
    InterfacePtr<IPMUnknown> dialog(tshost::BuildView(kUiTestPluginID, kDialogView, error));
    ASSERT_TRUE(dialog);
    InterfacePtr<ISubject> subject(tshost::FindWidgetFrom(dialog.get(), kOKButtonWidgetID), IID_OF<ISubject>());
    Detacher first, second, third;
    first.victim = &second;
    first.late = &third;
    subject->AttachObserver(&first, IID_ITRISTATECONTROLDATA);
    subject->AttachObserver(&first, IID_ITRISTATECONTROLDATA);
    subject->AttachObserver(&second, IID_ITRISTATECONTROLDATA);
    subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA);
    EXPECT_EQ(first.heard, 1) << "attaching twice keeps one attachment";
    EXPECT_EQ(second.heard, 0);
    EXPECT_EQ(third.heard, 0);
    subject->Change(kTrueStateMessage, IID_IBOOLEANCONTROLDATA);
    EXPECT_EQ(first.heard, 1) << "another protocol";
    first.late = nullptr;
    first.SetEnabled(kFalse);
    subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA);
    EXPECT_EQ(first.heard, 1);
    EXPECT_EQ(third.heard, 1);
    subject->DetachObserver(&first, IID_ITRISTATECONTROLDATA);
    subject->DetachObserver(&third, IID_ITRISTATECONTROLDATA);
    EXPECT_EQ(subject->CountObservers(IID_ITRISTATECONTROLDATA), 0);
}

}  // namespace
}  // namespace uitest
