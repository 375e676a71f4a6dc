// Widgets, subjects, dialogs, panels, Preferences and the folder dialog, driven as the
// plug-in and the user drive them.
#include <gmock/gmock.h>

#include "CreateObject.h"
#include "Dialogs.h"
#include "Events.h"
#include "FolderDialog.h"
#include "IControlView.h"
#include "IDropDownListController.h"
#include "IEventHandler.h"
#include "IPanelControlData.h"
#include "IPanelMgr.h"
#include "IPanelSwitcher.h"
#include "ISelectFolderDialog.h"
#include "IStringListControlData.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWindow.h"
#include "IWidgetParent.h"
#include "InterfacePtr.h"
#include "HostEventHandlers.h"
#include "Modal.h"
#include "Panels.h"
#include "Preferences.h"
#include "Render.h"
#include "SysFileList.h"
#include "UiFixture.h"
#include "UtilsBoss.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace uitest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DialogTest : public UiFixture {
protected:
    IDialog* OpenSendDialog() {
        tshost::DialogMgr* mgr = tshost::DialogMgr::Current();
        IDialog* dialog = mgr ? mgr->CreateNewDialog(RsrcSpec(MLocaleSetting::GetLocale(), kUiTestPluginID, kViewRsrcType, kDialogView),
                                                     1, kTrue, kTrue)
                              : nullptr;
        if (dialog) dialog->Open(0);
        return dialog;
    }
    IControlView* W(IDialog* dialog, WidgetID id) { return tshost::FindWidgetFrom(dialog, id); }
    std::string Text(IDialog* dialog, WidgetID id) {
        InterfacePtr<ITextControlData> text(W(dialog, id), IID_OF<ITextControlData>());
        return text ? text->GetString().GetUTF8String() : "(none)";
    }
};

TEST_F(DialogTest, OpenInitialisesBeforeObserversAttachAndOKAppliesThenCloses) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    // The set-up's own radio selection happened before attach, so the observer heard nothing.
    EXPECT_EQ(Rec().Take(), "init; attach");
    EXPECT_TRUE(tshost::ModalScope::AnyUp());
    EXPECT_EQ(Text(dialog, kNameBox), "Flyer");

    std::string error;
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error)) << error;
    EXPECT_EQ(Rec().Take(),
              "update 0x768 0x602 on 0x62b; validate; apply 0x602 name=Flyer radio=0x7e413 preset=[High Quality Print]; "
              "closing; detach");
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_FALSE(tshost::ModalScope::AnyUp());
}

TEST_F(DialogTest, InvalidFieldKeepsTheDialogOpenAndCancelNeverApplies) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    Rec().Take();
    Rec().invalidWidget = kNameBox.Get();
    std::string error;
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "update 0x768 0x602 on 0x62b; validate");
    EXPECT_TRUE(dialog->IsOpen());
    EXPECT_THAT(capture.shown.back(), HasSubstr("stays open: widget 0x7e416 is not valid"));

    ASSERT_TRUE(tshost::PressDialogButton(dialog, kCancelButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "update 0x768 0x603 on 0x62b; cancelled; closing; detach");
    EXPECT_FALSE(dialog->IsOpen());
}

TEST_F(DialogTest, TypingAppliesEachKeyBeforeTheHandlerAnnouncesIt) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    Rec().Take();
    tshost::TypeText(W(dialog, kRangeBox), "1-");
    // Each edit reaches the observer once, with the text already changed; the observer's
    // nested radio selection broadcasts back into it only when the radio really changes.
    EXPECT_EQ(Rec().Take(),
              "update 0x774 0x7e415 on 0x603; range text 1; update 0x768 0x7e414 on 0x62b; "
              "update 0x774 0x7e415 on 0x603; range text 1-");
    tshost::TypeKey(W(dialog, kRangeBox), IEvent::kVKBackspace);
    EXPECT_EQ(Text(dialog, kRangeBox), "1");
    InterfacePtr<ITriStateControlData> all(W(dialog, kAllRadio), IID_OF<ITriStateControlData>());
    EXPECT_EQ(all->GetState(), ITriStateControlData::kUnselected);
}

TEST_F(DialogTest, EndlessEchoOfChangesIsCutOffWithoutCrashing) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    Rec().echoStorm = true;
    tshost::TypeText(W(dialog, kRangeBox), "x");
    EXPECT_THAT(capture.diagnosed, ::testing::Contains(HasSubstr("nested more than 64 deep")));
    EXPECT_EQ(Text(dialog, kRangeBox), "x");
}

TEST_F(DialogTest, DisabledOrHiddenButtonsCannotBePressed) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    Rec().Take();
    std::string error;
    W(dialog, kOKButtonWidgetID)->Disable();
    EXPECT_FALSE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_THAT(error, HasSubstr("disabled"));
    W(dialog, kOKButtonWidgetID)->Enable();
    W(dialog, kPagesGroup)->Hide();
    EXPECT_FALSE(W(dialog, kAllRadio)->IsVisible(kTrue));
    EXPECT_TRUE(W(dialog, kAllRadio)->IsVisible(kFalse));
    EXPECT_FALSE(tshost::PressDialogButton(dialog, kAllRadio, error));
    EXPECT_EQ(Rec().Take(), "");
    EXPECT_TRUE(dialog->IsOpen());
}

TEST_F(DialogTest, ControllerReachesItsWindowTitleThroughTheOwner) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    InterfacePtr<IWidgetParent> owner(dialog->GetDialogPanel(), IID_OF<IWidgetParent>());
    ASSERT_TRUE(owner);
    InterfacePtr<IWindow> window(static_cast<IWindow*>(owner->QueryParentFor(IID_OF<IWindow>())));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->GetTitle().GetUTF8String(), "Send to Server");
    window->SetTitle(PMString("Send \"Flyer\"", PMString::kNoTranslate));
    std::string error;
    tshost::PressDialogButton(dialog, kCancelButtonWidgetID, error);
    EXPECT_THAT(capture.shown.back(), HasSubstr("\"Send \"Flyer\"\" closed"));
}

TEST_F(DialogTest, DropDownTextIsTheSelectedEntryAndEmptyListsAreHarmless) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    IControlView* drop = W(dialog, kPresetDropDown);
    InterfacePtr<IStringListControlData> list(drop, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> controller(drop, IID_OF<IDropDownListController>());
    EXPECT_EQ(Text(dialog, kPresetDropDown), "[High Quality Print]");
    list->AddString(PMString("First"), 0);
    EXPECT_EQ(Text(dialog, kPresetDropDown), "[High Quality Print]") << "an insertion before it keeps the selection";
    list->AddString(PMString("Last"), IStringListControlData::kEnd);
    EXPECT_EQ(list->GetString(3).GetUTF8String(), "Last");
    list->Clear();
    controller->Select(0);
    EXPECT_EQ(controller->GetSelected(), IDropDownListController::kNoSelection);
    EXPECT_EQ(Text(dialog, kPresetDropDown), "");
}

TEST_F(DialogTest, ClosedDialogsAreDroppedAndTheNextOneStartsAfresh) {
    IDialog* dialog = OpenSendDialog();
    ASSERT_TRUE(dialog);
    tshost::DialogMgr::Current()->Reap();
    dialog->Close(kTrue);
    tshost::DialogMgr::Current()->Reap();
    EXPECT_TRUE(tshost::DialogMgr::Current()->OpenDialogs().empty());
    // A second dialog afterwards works as the first did.
    ASSERT_TRUE(OpenSendDialog());
    EXPECT_THAT(Rec().Take(), HasSubstr("cancelled; closing; detach; init; attach"));
}

class PanelTest : public UiFixture {
protected:
    tshost::PanelMgrState& Panels() { return *tshost::PanelMgrState::Current(); }
};

TEST_F(PanelTest, ShownPanelIsFindableBeforeItsObserversAttachAndGoneAfterHide) {
    InterfacePtr<IPanelMgr> utility(UtilsBoss::QueryUtils<IPanelMgr>());
    ASSERT_TRUE(utility);
    EXPECT_FALSE(InterfacePtr<IControlView>(utility->QueryPanelByWidgetID(kPanelWidget)));
    ASSERT_EQ(Panels().ShowPanelByWidgetID(kPanelWidget), kSuccess);
    EXPECT_EQ(Rec().Take(), "panel attach, findable=yes");
    InterfacePtr<IControlView> panel(utility->QueryPanelByWidgetID(kPanelWidget));
    ASSERT_TRUE(panel);
    EXPECT_TRUE(tshost::Click(tshost::FindWidgetFrom(panel.get(), kPanelButton)));
    EXPECT_EQ(Rec().Take(), "update 0x768 0x7e401 on 0x62b");
    panel.reset();
    ASSERT_EQ(Panels().HidePanelByWidgetID(kPanelWidget), kSuccess);
    EXPECT_EQ(Rec().Take(), "panel detach");
    EXPECT_FALSE(InterfacePtr<IControlView>(utility->QueryPanelByWidgetID(kPanelWidget)));
    EXPECT_EQ(Panels().HidePanelByWidgetID(kPanelWidget), kFailure);
    EXPECT_EQ(Panels().ShowPanelByWidgetID(WidgetID(0x123)), kFailure);
}

TEST_F(PanelTest, ResizeAppliesThePanelsConstraintWithExactComparisons) {
    ASSERT_EQ(Panels().ShowPanelByWidgetID(kPanelWidget), kSuccess);
    struct Case {
        PMReal w, h, wantW, wantH;
    } cases[] = {
        {1100.000000005, 700, 1100.000000005, 700}, {1100.00000002, 700, 1100, 700}, {200, 200, 400, 380},
        {800, 500, 800, 500}, {5000, 5000, 1100, 700},
    };
    for (const Case& c : cases) {
        PMPoint applied;
        ASSERT_EQ(Panels().Resize(kPanelWidget, c.w, c.h, applied), kSuccess);
        EXPECT_EQ(applied, PMPoint(c.wantW, c.wantH)) << c.w << " x " << c.h;
        InterfacePtr<IControlView> view(Panels().QueryPanelByWidgetID(kPanelWidget));
        EXPECT_EQ(view->GetFrame(), PMRect(0, 0, c.wantW, c.wantH));
    }
}

TEST_F(PanelTest, PanelViewStateSurvivesHideAndShowThroughItsReadWrite) {
    ASSERT_EQ(Panels().ShowPanelByWidgetID(kPanelWidget), kSuccess);
    PMPoint applied;
    Panels().Resize(kPanelWidget, 777.25, 456.5, applied);
    Panels().HidePanelByWidgetID(kPanelWidget);
    Panels().ShowPanelByWidgetID(kPanelWidget);
    InterfacePtr<IControlView> view(Panels().QueryPanelByWidgetID(kPanelWidget));
    EXPECT_EQ(view->GetFrame(), PMRect(0, 0, 777.25, 456.5));
}

TEST_F(PanelTest, RenderShowsKindsLabelsValuesAndStates) {
    ASSERT_EQ(Panels().ShowPanelByWidgetID(kPanelWidget), kSuccess);
    InterfacePtr<IControlView> view(Panels().QueryPanelByWidgetID(kPanelWidget));
    tshost::FindWidgetFrom(view.get(), kPanelButton)->Disable();
    EXPECT_THAT(tshost::RenderWidgetTree(view.get()),
                ElementsAre("panel 0x7e400 \"Projects\"", "  button 0x7e401 \"Refresh\" disabled",
                            "  static-text 0x7e402 text=\"Ready\" hidden", "  progress-bar 0x7e403 value=0/0..100 style=2 hidden"));
}

class RowTest : public UiFixture {};

IControlView* gHookRow = nullptr;
bool16 RecordRow(IControlView* row, IEvent& e) {
    gHookRow = row;
    return e.GetType() == IEvent::kLButtonDn ? kTrue : kFalse;
}

TEST_F(RowTest, WrappedRowHandlerForwardsToTheHostsOwnAndConsumesTheRightClick) {
    InterfacePtr<IControlView> row(static_cast<IControlView*>(
        CreateObject(nullptr, RsrcSpec(MLocaleSetting::GetLocale(), kUiTestPluginID, kViewRsrcType, kRowView), IID_OF<IControlView>())));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->GetWidgetID(), kRowWidget);
    InterfacePtr<IPanelControlData> panel(row.get(), IID_OF<IPanelControlData>());
    ASSERT_TRUE(panel->FindWidget(kTreeNodeExpanderWidgetID, 9999));
    EXPECT_EQ(panel->FindWidget(WidgetID(0x7e423))->GetRsrcID(), RsrcID(1001));
    EXPECT_EQ(panel->FindWidget(WidgetID(0x7e423))->GetRsrcPluginID(), kUiTestPluginID);

    // The host's original answers the plug-in's IID with the same object each time.
    InterfacePtr<IEventHandler> first(row.get(), kOriginalRowHandlerIID), second(row.get(), kOriginalRowHandlerIID);
    EXPECT_EQ(first.get(), second.get());

    tshost::TreeNodeEventHook old = tshost::SetTreeNodeEventHook(RecordRow);
    tshost::Event down(IEvent::kLButtonDn, SysPoint{5, 6});
    EXPECT_TRUE(tshost::Deliver(row.get(), down));
    EXPECT_EQ(gHookRow, row.get()) << "the original got its view through the wrapper's SetView";
    tshost::Event right(IEvent::kRButtonDn, SysPoint{30, 40});
    EXPECT_TRUE(tshost::Deliver(row.get(), right));
    EXPECT_EQ(Rec().Take(), "row right click at 30,40");
    tshost::SetTreeNodeEventHook(old);
    EXPECT_FALSE(CreateObject(nullptr, RsrcSpec(MLocaleSetting::GetLocale(), kUiTestPluginID, kViewRsrcType, RsrcID(4242)),
                              IID_OF<IControlView>()));
}

class PrefsTest : public UiFixture {};

TEST_F(PrefsTest, RegistryRouteOpensThePageAndOnlyVisitedPagesAreValidated) {
    std::string error;
    IDialog* dialog = tshost::OpenPreferences(kPrefsPage, error);
    ASSERT_TRUE(dialog) << error;
    EXPECT_EQ(Rec().Take(), "prefs init; prefs attach");
    InterfacePtr<IPanelSwitcher> switcher(tshost::FindWidgetFrom(dialog, kPrefsPanelSwitcherWidgetID), IID_OF<IPanelSwitcher>());
    ASSERT_TRUE(switcher);
    EXPECT_EQ(switcher->GetCurrentPanel(), kPrefsPage);
    switcher->SetSwitchingIDs(ServiceID(0x699), PMIID(0x608), PMIID(0x607), PMIID(0x623));
    EXPECT_THAT(dynamic_cast<tshost::PanelSwitcher*>(switcher.get())->SwitchingIDs(), ElementsAre(0x699u, 0x608u, 0x607u, 0x623u));

    tshost::FolderDialogScript::Get().Queue(tshost::FolderAnswer{false, {"/tmp/out"}});
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kBrowseButton, error)) << error;
    EXPECT_EQ(Rec().Take(), "update 0x768 0x7e417 on 0x602; browse chose Macintosh HD:tmp:out");

    Rec().prefsInvalidWidget = kPrefsUser.Get();
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "prefs validate");
    EXPECT_TRUE(dialog->IsOpen());
    Rec().prefsInvalidWidget = 0;
    ASSERT_TRUE(tshost::PressDialogButton(dialog, kOKButtonWidgetID, error));
    EXPECT_EQ(Rec().Take(), "prefs validate; prefs apply user=Macintosh HD:tmp:out; prefs detach");
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_FALSE(switcher->SwitchToPanel(WidgetID(0x999)));
}

TEST_F(PrefsTest, ThePageIsFoundAmongTheOfferedPages) {
    auto pages = tshost::PanelSwitcher::AvailablePages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].first, kPrefsPage);
    std::string error;
    EXPECT_FALSE(tshost::OpenPreferences(WidgetID(0x4711), error));
    EXPECT_THAT(error, HasSubstr("no Preferences page"));
}

class FolderTest : public UiFixture {};

TEST_F(FolderTest, ScriptedAnswersCancelOneOrSeveralFolders) {
    struct Case {
        std::vector<std::string> answer;  // empty: cancel
        bool queue;
        bool16 confirmed;
        int32 count;
    } cases[] = {{{}, true, kFalse, 0}, {{"/tmp/out"}, true, kTrue, 1}, {{"/a", "/b"}, true, kTrue, 2}, {{}, false, kFalse, 0}};
    for (const Case& c : cases) {
        if (c.queue) tshost::FolderDialogScript::Get().Queue(tshost::FolderAnswer{c.answer.empty(), c.answer});
        InterfacePtr<ISelectFolderDialog> dialog(static_cast<ISelectFolderDialog*>(CreateObject(ClassID(0xE1C), PMIID(0xE1D))));
        ASSERT_TRUE(dialog);
        dialog->SetUp(ISelectFolderDialog::kChooseOneFolder);
        SysFileList files;
        EXPECT_EQ(dialog->DoDialog(&files, PMString("Choose a Folder"), nullptr, kFalse, nullptr), c.confirmed);
        EXPECT_EQ(files.GetFileCount(), c.count);
    }
    EXPECT_THAT(capture.shown.back(), HasSubstr("cancelled (no answer given)"));
    EXPECT_EQ(tshost::FolderDialogScript::Get().Records().at(1).kind, 38);
}

}  // namespace
}  // namespace uitest
