// The layout view's handler that notes the user's work and passes every call on to the
// view's own. What the idle trackers book is the booked-time table's.
#include <gtest/gtest.h>

#include "Events.h"
#include "HostEventHandlers.h"
#include "IEventHandler.h"
#include "LayoutViews.h"
#include "UsageFixture.h"
#include "Widgets.h"

namespace {

using IdleTrackerTest = UsageFixture;

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
