// Whether the user works: the two idle trackers on the host's virtual clock, and the layout
// view's handler that notes the user's events and passes every call on to the view's own.
#include <gtest/gtest.h>

#include "Events.h"
#include "HostEventHandlers.h"
#include "IEventHandler.h"
#include "LayoutViews.h"
#include "UsageFixture.h"
#include "Widgets.h"

namespace {

class IdleTrackerTest : public UsageFixture {
protected:
    static void Send(IDocument* doc, IEvent::EventType type) {
        tshost::Event e(type);
        tshost::Deliver(tshost::LayoutViewOf(doc), e);
    }
    static void Background(bool on) { tshost::IdleScheduler::Get().SetBackground(on); }
};

// Work is booked at the next tick, which restarts the quiet time; after five quiet minutes
// the document is inactive, mouse moves change nothing, and the first real event makes it
// active again. The idle minutes after the inactive line are never booked.
TEST_F(IdleTrackerTest, FiveQuietMinutesMakeTheFrontDocumentInactiveUntilTheNextWork) {
    IDocument* doc = NewDocument(1);
    Idle(180);
    Send(doc, IEvent::kLButtonDn);
    Idle(300);
    EXPECT_FALSE(g_IdleMouseStatus) << "299 quiet seconds after the tick that booked the click";
    Idle(1);
    EXPECT_TRUE(g_IdleMouseStatus) << "300 quiet seconds";
    Idle(10 * 60);
    Send(doc, IEvent::kMouseMove);
    SleepUntil("09:20:00");
    Send(doc, IEvent::kKeyDown);
    SleepUntil("09:20:30");
    EXPECT_EQ(CloseAndRead(doc), Log("09:00:00", {Inactive("09:08:01"), Active("09:20:00")}, "09:20:30", "00:08:31"));
}

// Neither the idle minutes of a document left behind nor the application's time in the
// background are booked; every open document logs the background once, and once none is
// open nothing happens.
TEST_F(IdleTrackerTest, IdleAndBackgroundTimeAreNeverBookedNorWithoutADocument) {
    IDocument* a = NewDocument(1);
    SleepUntil("09:01:00");
    IDocument* b = NewDocument(1);
    Idle(300);
    SleepUntil("09:30:00");
    Front(a);
    EXPECT_FALSE(g_IdleMouseStatus) << "choosing a document is work";
    Background(true);
    Idle(10 * 60);
    Background(false);
    Idle(0);
    Send(a, IEvent::kLButtonDn);
    Idle(60);
    const Lines app{At("indd_app_inactive_at", "09:30:00"), At("indd_app_active_at", "09:40:00")};
    EXPECT_EQ(CloseAndRead(b), Log("09:01:00", Then({Inactive("09:06:00"), Inactive("09:30:00")}, app), "09:41:00", "00:05:00"));
    EXPECT_EQ(CloseAndRead(a), Log("09:00:00", Then({Inactive("09:01:00"), Active("09:30:00")}, app), "09:41:00", "00:02:00"));

    // With no document open the trackers change nothing.
    g_ActiveMouseStatus = kTrue;
    Background(true);
    Idle(5);
    Background(false);
    EXPECT_FALSE(g_IdleAppStatus);
    Idle(400);
    EXPECT_FALSE(g_IdleMouseStatus);
    EXPECT_TRUE(g_ActiveMouseStatus) << "the active tracker stops before reading it";
}

TEST_F(IdleTrackerTest, TheLayoutHandlerPassesEveryCallOnAndNotesOnlyWork) {
    IPMUnknown* view = tshost::LayoutViewOf(NewDocument(1));
    ASSERT_TRUE(view);
    InterfacePtr<IEventHandler> wrapper(view, IID_OF<IEventHandler>());
    InterfacePtr<IEventHandler> wrapped(view, kTSLayoutOriginalHandlerInterfaceID);
    auto* original = dynamic_cast<tshost::LayoutViewEventHandler*>(wrapped.get());
    ASSERT_TRUE(original);
    ASSERT_NE(static_cast<IEventHandler*>(original), wrapper.get());
    EXPECT_EQ(original->GetView(), tshost::ViewOf(view)) << "the view was handed on";

    using E = IEvent;
    const std::pair<E::EventType, bool> events[] = {
        {E::kActivate, false},     {E::kDeactivate, false},    {E::kSuspend, false},      {E::kResume, false},
        {E::kMouseMove, false},    {E::kMouseDrag, true},      {E::kLButtonDn, true},     {E::kRButtonDn, true},
        {E::kMButtonDn, true},     {E::kLButtonUp, true},      {E::kRButtonUp, true},     {E::kMButtonUp, true},
        {E::kButtonDblClk, true},  {E::kButtonTrplClk, true},  {E::kButtonQuadClk, true}, {E::kButtonQuintClk, true},
        {E::kMouseWheel, true},    {E::kControlCmd, false},    {E::kKeyDown, true},       {E::kKeyCmd, true},
        {E::kKeyUp, true},         {E::kUpdate, false},        {E::kPlatformEvent, false},
    };
    for (const auto& [type, work] : events) {
        g_ActiveMouseStatus = kFalse;
        const int32 before = original->EventCount();
        tshost::Event event(type);
        const bool16 handled = tshost::Deliver(view, event);
        // The host's handler answers kTrue exactly for the events it counts.
        EXPECT_EQ(handled, original->EventCount() > before ? kTrue : kFalse) << type;
        EXPECT_EQ(g_ActiveMouseStatus != kFalse, work) << type;
    }
    EXPECT_EQ(original->EventCount(), 11);

    g_ActiveMouseStatus = kFalse;
    EXPECT_EQ(wrapper->CanHaveKeyFocus(), kTrue) << "the host's answer, not the base's";
    EXPECT_EQ(wrapper->WantsTabKeyFocus(), kFalse);
    EXPECT_EQ(wrapper->GiveUpKeyFocus(), kTrue);
    EXPECT_FALSE(g_ActiveMouseStatus);
    EXPECT_EQ(wrapper->GetKeyFocus(), kTrue);
    EXPECT_TRUE(g_ActiveMouseStatus) << "gaining the key focus is work";
}

}  // namespace
