// The active time each document ends up with, for sequences of opening, working, switching,
// idling, going to the background, modal dialogs, the machine's sleep and closing, over
// midnight and the clock changes. Every total was worked out from the sequence by these
// rules, not read off the code:
// - only the front document's time is booked, while it is neither idle nor in the background;
// - a click is noticed by the next tick of the active tracker, which restarts the quiet
//   time; ticks fall on whole seconds, the first at the run's start after its first step,
//   the others before anything done at their second; the plug-in loads as if the user had
//   just worked, so the first tick with a document in front restarts the quiet time too;
// - 300 quiet seconds make the document idle, and those seconds are booked;
// - no tick runs while a modal dialog is up or the machine sleeps; whatever comes first
//   afterwards (a tick, a click, a switch, a close, the background) books what ticks in time
//   would have: a click waiting to be noticed counts as noticed a second after it, and the
//   quiet time ends 300 seconds after it began, where the inactive line is stamped;
// - choosing a document (a switch, or its coming to the front when the front one closes)
//   starts its time, idle or not before; coming back from the background starts nothing
//   until the first event in a layout view;
// - durations are real elapsed time: midnight, summer time or the clock set either way is
//   not work, nor does it take work away; the lines show the clock as it read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>

#include "Events.h"
#include "IDialog.h"
#include "LayoutViews.h"
#include "Preferences.h"
#include "TSPrefsIDs.h"
#include "UsageFixture.h"

namespace {

struct Step {
    int64 after;       // seconds of idle time before it
    std::string what;  // "new A", "front A", "close A", "click A", "background", "foreground",
                       // "set YYYY-MM-DD HH:MM:SS" (the clock is set, no time passes),
                       // "prefs" and "cancel" (the modal Preferences dialog opens and is
                       // cancelled), "sleep H" (the machine sleeps H hours)
};

struct Sequence {
    const char* name;
    const char* tz;     // nullptr: as the test runs
    const char* start;  // local time of the first step, or UTC when it ends in "Z"
    std::vector<Step> steps;
    std::map<std::string, std::string> totals;
    std::map<std::string, Lines> logs = {};  // the whole logs of some documents
};

class BookedTimeTest : public UsageFixture {
protected:
    void TearDown() override {
        SetZone(nullptr);
        UsageFixture::TearDown();
    }

    static void SetZone(const char* tz) {
        if (tz)
            ::setenv("TZ", tz, 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    static std::string Total(const Lines& items) {
        const std::string tag = "<doc_total_active_time>";
        for (const std::string& item : items)
            if (item.rfind(tag, 0) == 0) return item.substr(tag.size(), item.find('<', tag.size()) - tag.size());
        return "none";
    }

    // Runs the sequence in a fresh run of the host, whose trackers tick first at its start,
    // and gives each document's total and log.
    std::map<std::string, std::string> Run(const Sequence& s, std::map<std::string, Lines>& logs) {
        SetZone(s.tz);
        Restart();
        fHost->Docs().AddObserver(&fClosing);
        ResetActivity();
        const std::string start = s.start;
        if (start.back() == 'Z') {
            std::tm utc{};
            if (!::strptime(start.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc)) {
                ADD_FAILURE() << start;
                return {};
            }
            tshost::Clock::SetVirtual(static_cast<int64>(::timegm(&utc)) * 1000);
        } else {
            SetClock(start);
        }
        std::map<std::string, IDocument*> docs;
        std::map<std::string, std::string> totals;
        IDialog* dialog = nullptr;
        for (const Step& step : s.steps) {
            if (step.after > 0) Idle(step.after);
            std::istringstream words(step.what);
            std::string verb, name, time;
            words >> verb >> name >> time;
            if (verb == "new") {
                docs[name] = NewDocument(1);
            } else if (verb == "front") {
                Front(docs.at(name));
            } else if (verb == "close") {
                Lines items = CloseAndRead(docs.at(name));
                totals[name] = Total(items);
                logs[name] = items;
                docs.erase(name);
            } else if (verb == "click") {
                tshost::Event e(IEvent::kLButtonDn);
                tshost::Deliver(tshost::LayoutViewOf(docs.at(name)), e);
            } else if (verb == "background" || verb == "foreground") {
                tshost::IdleScheduler::Get().SetBackground(verb == "background");
            } else if (verb == "set") {
                SetClock(name + " " + time);
            } else if (verb == "prefs") {
                std::string error;
                dialog = tshost::OpenPreferences(kTSPrefsPanelWidgetID, error);
                EXPECT_TRUE(dialog) << error;
            } else if (verb == "cancel" && dialog) {
                dialog->Close(kTrue);
            } else if (verb == "sleep") {
                tshost::Clock::Advance(std::stoll(name) * 3'600'000);
            } else {
                ADD_FAILURE() << "no such step: " << step.what;
            }
        }
        EXPECT_TRUE(docs.empty()) << s.name << ": every document is closed";
        return totals;
    }
};

constexpr int64 kMinute = 60;

TEST_F(BookedTimeTest, EachSequenceBooksItsHandWorkedTotals) {
    const Sequence sequences[] = {
        {"open A, open B, switch, close B, A again", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "new B"}, {kMinute, "click B"}, {kMinute, "front A"},
          {kMinute, "close B"}, {kMinute, "click A"}, {kMinute, "close A"}},
         {{"A", "00:05:00"}, {"B", "00:02:00"}}},
        {"switch to A, close A, B alone", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "new B"}, {kMinute, "click B"}, {kMinute, "front A"},
          {kMinute, "click A"}, {kMinute, "close A"}, {2 * kMinute, "click B"}, {2 * kMinute, "close B"}},
         {{"A", "00:04:00"}, {"B", "00:06:00"}}},
        {"close B, open C, close A behind C", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "new B"}, {kMinute, "click B"}, {kMinute, "close B"},
          {kMinute, "click A"}, {kMinute, "new C"}, {kMinute, "click C"}, {kMinute, "close A"}, {kMinute, "click C"},
          {kMinute, "close C"}},
         {{"A", "00:04:00"}, {"B", "00:02:00"}, {"C", "00:04:00"}}},
        {"three documents closed in turn", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "new B"}, {kMinute, "click B"}, {kMinute, "new C"},
          {kMinute, "click C"}, {kMinute, "close C"}, {kMinute, "click B"}, {kMinute, "close B"}, {kMinute, "click A"},
          {kMinute, "close A"}},
         {{"A", "00:04:00"}, {"B", "00:04:00"}, {"C", "00:02:00"}}},
        {"idle past 300 s, then open B", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {9 * kMinute, "new B"}, {2 * kMinute, "click B"}, {kMinute, "close B"},
          {kMinute, "close A"}},
         {{"A", "00:07:01"}, {"B", "00:03:00"}}},
        // D, made as C closes, may get C's database address.
        {"documents behind the front one close, a new one comes", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "new B"}, {kMinute, "new C"}, {kMinute, "close C"}, {0, "new D"}, {kMinute, "close A"},
          {kMinute, "front B"}, {2 * kMinute, "close B"}, {2 * kMinute, "close D"}},
         {{"A", "00:01:00"}, {"B", "00:03:00"}, {"C", "00:01:00"}, {"D", "00:04:00"}},
         {{"B", Log("09:01:00", {Inactive("09:02:00"), Active("09:03:00"), Inactive("09:03:00"), Active("09:05:00")},
                    "09:07:00", "00:03:00")},
          {"D", Log("09:03:00", {Inactive("09:05:00"), Active("09:07:00")}, "09:09:00", "00:04:00")}}},
        {"quiet for exactly 300 s after a click, then work", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {3 * kMinute, "click A"}, {301, "click A"}, {30, "close A"}},
         {{"A", "00:08:31"}},
         {{"A", Log("09:00:00", {Inactive("09:08:01"), Active("09:08:01")}, "09:08:31", "00:08:31")}}},
        {"left idle, left behind, background with two documents", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "new B"}, {29 * kMinute, "front A"}, {0, "background"}, {10 * kMinute, "foreground"},
          {0, "click A"}, {kMinute, "close B"}, {0, "close A"}},
         {{"A", "00:02:00"}, {"B", "00:05:00"}},
         {{"A", Log("09:00:00", {Inactive("09:01:00"), Active("09:30:00"), At("indd_app_inactive_at", "09:30:00"),
                                 At("indd_app_active_at", "09:40:00")},
                    "09:41:00", "00:02:00")},
          {"B", Log("09:01:00", {Inactive("09:06:00"), Inactive("09:30:00"), At("indd_app_inactive_at", "09:30:00"),
                                 At("indd_app_active_at", "09:40:00")},
                    "09:41:00", "00:05:00")}}},
        // With no document open the trackers leave the state alone.
        {"background and idle time with no document open", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {0, "close A"}, {0, "background"}, {5, "foreground"}, {400, "new B"}, {kMinute, "close B"}},
         {{"A", "00:00:00"}, {"B", "00:01:00"}}},
        {"background, return, switch", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {kMinute, "new B"}, {kMinute, "click B"}, {kMinute, "background"}, {10 * kMinute, "foreground"},
          {kMinute, "front A"}, {kMinute, "click A"}, {kMinute, "close A"}, {kMinute, "close B"}},
         {{"A", "00:02:00"}, {"B", "00:03:00"}}},
        {"idle 10 minutes, then close", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {10 * kMinute, "close A"}},
         {{"A", "00:05:00"}}},
        {"idle, then background, then close", nullptr, "2007-03-05 09:00:00",
         {{0, "new A"}, {10 * kMinute, "background"}, {kMinute, "close A"}},
         {{"A", "00:05:00"}}},
        {"across midnight", nullptr, "2007-03-05 23:58:00",
         {{0, "new A"}, {kMinute, "click A"}, {2 * kMinute, "click A"}, {kMinute, "close A"}},
         {{"A", "00:04:00"}},
         {{"A", {At("doc_open", "23:58:00"), Active("23:58:00"), "<doc_close>20070306 00:02:00</doc_close>",
          "<doc_total_active_time>00:04:00</doc_total_active_time>",
          "<pdf_total_generation_time>00:00:00</pdf_total_generation_time>"}}}},
        // 01:59 and 03:01 local are two real minutes apart.
        {"across the spring change", "Europe/Berlin", "2007-03-25 01:58:00",
         {{0, "new A"}, {kMinute, "click A"}, {2 * kMinute, "click A"}, {0, "close A"}},
         {{"A", "00:03:00"}},
         {{"A", {"<doc_open>20070325 01:58:00</doc_open>", "<doc_active_at>20070325 01:58:00</doc_active_at>",
          "<doc_close>20070325 03:01:00</doc_close>", "<doc_total_active_time>00:03:00</doc_total_active_time>",
          "<pdf_total_generation_time>00:00:00</pdf_total_generation_time>"}}}},
        // 02:58 summer time is 00:58 UTC; 02:59 summer time and 02:01 winter time are two real
        // minutes apart.
        {"across the autumn change", "Europe/Berlin", "2007-10-28T00:58:00Z",
         {{0, "new A"}, {kMinute, "click A"}, {2 * kMinute, "click A"}, {kMinute, "close A"}},
         {{"A", "00:04:00"}},
         {{"A", {"<doc_open>20071028 02:58:00</doc_open>", "<doc_active_at>20071028 02:58:00</doc_active_at>",
          "<doc_close>20071028 02:02:00</doc_close>", "<doc_total_active_time>00:04:00</doc_total_active_time>",
          "<pdf_total_generation_time>00:00:00</pdf_total_generation_time>"}}}},
        // Put back an hour a minute after the last click: the quiet time goes on from there.
        {"clock put back while quiet", nullptr, "2007-03-05 10:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "set 2007-03-05 09:02:00"}, {28 * kMinute, "close A"}},
         {{"A", "00:06:01"}}},
        // The dialog holds the ticks up for 30 minutes: the first one after it books the five
        // quiet minutes after the click and stamps their end.
        {"a late tick after a modal dialog", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {10, "prefs"}, {30 * kMinute, "cancel"}, {10, "close A"}},
         {{"A", "00:06:01"}},
         {{"A", Log("12:00:00", {Inactive("12:06:01")}, "12:31:20", "00:06:01")}}},
        {"a click still waiting when the dialog opens", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {0, "prefs"}, {30 * kMinute, "cancel"}, {10, "close A"}},
         {{"A", "00:06:01"}},
         {{"A", Log("12:00:00", {Inactive("12:06:01")}, "12:31:10", "00:06:01")}}},
        {"a switch after a dialog, before any tick", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "new B"}, {kMinute, "front A"}, {kMinute, "click A"}, {0, "prefs"},
          {30 * kMinute, "cancel"}, {0, "front B"}, {kMinute, "close B"}, {0, "close A"}},
         {{"A", "00:07:01"}, {"B", "00:02:00"}}},
        {"to the background after a dialog, before any tick", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {0, "prefs"}, {10 * kMinute, "cancel"}, {0, "background"},
          {kMinute, "close A"}},
         {{"A", "00:06:01"}}},
        // Closed the evening before, opened in the morning and closed at once: the inactive
        // line carries the evening's date and time.
        {"the machine sleeps overnight, closed on waking", nullptr, "2007-03-05 17:58:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "sleep 14"}, {0, "close A"}},
         {{"A", "00:06:01"}},
         {{"A", {At("doc_open", "17:58:00"), Active("17:58:00"), Inactive("18:04:01"),
          "<doc_close>20070306 08:00:00</doc_close>", "<doc_total_active_time>00:06:01</doc_total_active_time>",
          "<pdf_total_generation_time>00:00:00</pdf_total_generation_time>"}}}},
        {"the machine sleeps overnight, work goes on on waking", nullptr, "2007-03-05 17:58:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "sleep 14"}, {0, "click A"}, {kMinute, "close A"}},
         {{"A", "00:07:01"}}},
        // Quiet for three real minutes across the step: still active, no inactive line.
        {"clock set an hour ahead while working", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {kMinute, "set 2007-03-05 13:02:00"}, {2 * kMinute, "close A"}},
         {{"A", "00:04:00"}},
         {{"A", Log("12:00:00", {}, "13:04:00", "00:04:00")}}},
        {"clock set 101 hours ahead", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {kMinute, "click A"}, {0, "set 2007-03-09 17:01:00"}, {20, "close A"}},
         {{"A", "00:01:20"}}},
        {"clock set two hours ahead between two clicks", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {30, "click A"}, {30, "set 2007-03-05 14:01:00"}, {30, "click A"}, {0, "close A"}},
         {{"A", "00:01:30"}}},
        {"clock put back two minutes, closed at once", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {4 * kMinute, "click A"}, {kMinute, "set 2007-03-05 12:03:00"}, {0, "close A"}},
         {{"A", "00:05:00"}},
         {{"A", Log("12:00:00", {}, "12:03:00", "00:05:00")}}},
        {"clock put back an hour after four quiet minutes, then work", nullptr, "2007-03-05 12:00:00",
         {{0, "new A"}, {4 * kMinute, "set 2007-03-05 11:04:00"}, {30, "click A"}, {2 * kMinute, "click A"},
          {0, "close A"}},
         {{"A", "00:06:30"}}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        std::map<std::string, Lines> logs;
        EXPECT_EQ(Run(s, logs), s.totals);
        for (const auto& [name, log] : s.logs) EXPECT_EQ(logs[name], log) << name;
    }
}

}  // namespace
