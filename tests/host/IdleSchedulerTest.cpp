// The idle scheduler on the virtual clock: first runs after the install delay, then after
// each returned delay, in install order at equal times; the background flag; nothing while
// a modal alert is up; no re-entry; uninstalling during a run; and IDTime reading the clock.
#include <gtest/gtest.h>

#include <functional>

#include "CAlert.h"
#include "Clock.h"
#include "IDTime.h"
#include "IdleScheduler.h"
#include "Modal.h"

namespace {

struct RunRecord {
    std::string task;
    int64 at;
    uint32 flags;
    bool operator==(const RunRecord&) const = default;
};

std::vector<RunRecord> gRuns;
constexpr int64 kStart = 1'000'000'000'000;

// A task outside any boss: the scheduler only needs the interface.
class Task : public IIdleTask {
public:
    Task(std::string name, std::vector<uint32> delays) : fName(std::move(name)), fDelays(std::move(delays)) {}
    ~Task() override { UninstallTask(); }
    IPMUnknown* QueryInterface(PMIID) const override { return nullptr; }
    void AddRef() const override {}
    void Release() const override {}
    void InstallTask(uint32 firstDelayMs) override { tshost::IdleScheduler::Get().Install(this, firstDelayMs); }
    void UninstallTask() override { tshost::IdleScheduler::Get().Uninstall(this); }
    uint32 RunTask(uint32 flags, uint32) override {
        gRuns.push_back({fName, tshost::Clock::NowMs() - kStart, flags});
        if (fDuringRun) fDuringRun();
        uint32 delay = fDelays.empty() ? IIdleTask::kEndOfTime : fDelays.front();
        if (fDelays.size() > 1) fDelays.erase(fDelays.begin());
        return delay;
    }
    const char* TaskName() override { return fName.c_str(); }
    std::function<void()> fDuringRun;

private:
    std::string fName;
    std::vector<uint32> fDelays;  // the last one repeats
};

class IdleSchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRuns.clear();
        tshost::IdleScheduler::Get().Clear();
        tshost::Clock::SetVirtual(kStart);
    }
    void TearDown() override { tshost::IdleScheduler::Get().Clear(); }
};

TEST_F(IdleSchedulerTest, TasksRunAfterTheirDelaysInInstallOrder) {
    Task a("a", {1000}), b("b", {10}), c("c", {500});
    a.InstallTask(0);
    b.InstallTask(0);
    c.InstallTask(100);
    tshost::IdleScheduler::Get().Idle(30);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", 0, 0}, {"b", 0, 0}, {"b", 10, 0}, {"b", 20, 0}, {"b", 30, 0}}));
    EXPECT_EQ(tshost::Clock::NowMs(), kStart + 30);
    gRuns.clear();
    tshost::IdleScheduler::Get().Idle(1000);
    int aRuns = 0, cRuns = 0, bRuns = 0;
    for (const RunRecord& r : gRuns) (r.task == "a" ? aRuns : r.task == "b" ? bRuns : cRuns)++;
    EXPECT_EQ(aRuns, 1);
    EXPECT_EQ(cRuns, 2);   // at 100 and 600
    EXPECT_EQ(bRuns, 100);  // at 40 .. 1030
    // At 1000 all three fall due together: install order.
    auto at1000 = std::find_if(gRuns.begin(), gRuns.end(), [](const RunRecord& r) { return r.at == 1000; });
    ASSERT_NE(at1000, gRuns.end());
    EXPECT_EQ(at1000->task, "a");
    EXPECT_EQ((at1000 + 1)->task, "b");
    EXPECT_EQ(tshost::Clock::NowMs(), kStart + 1030);
}

TEST_F(IdleSchedulerTest, ReinstallingPutsATaskLastAndEndOfTimeEndsIt) {
    Task a("a", {5}), b("b", {5, IIdleTask::kEndOfTime});
    a.InstallTask(0);
    b.InstallTask(0);
    a.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(20);
    ASSERT_GE(gRuns.size(), 3u);
    EXPECT_EQ(gRuns[0].task, "b");
    EXPECT_EQ(gRuns[1].task, "a");
    EXPECT_EQ(std::count_if(gRuns.begin(), gRuns.end(), [](const RunRecord& r) { return r.task == "b"; }), 2);
    EXPECT_FALSE(tshost::IdleScheduler::Get().IsInstalled(&b));
    EXPECT_TRUE(tshost::IdleScheduler::Get().IsInstalled(&a));
}

TEST_F(IdleSchedulerTest, ZeroDelaysStillLetTimePass) {
    Task a("a", {0});
    a.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(5);
    EXPECT_EQ(gRuns.size(), 6u);  // at 0, 1, 2, 3, 4, 5
    EXPECT_EQ(gRuns.back().at, 5);
}

TEST_F(IdleSchedulerTest, TheBackgroundFlagIsPassed) {
    Task a("a", {10});
    a.InstallTask(0);
    tshost::IdleScheduler::Get().SetBackground(true);
    tshost::IdleScheduler::Get().Idle(0);
    tshost::IdleScheduler::Get().SetBackground(false);
    tshost::IdleScheduler::Get().Idle(10);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", 0, IIdleTask::kApplicationInBackground}, {"a", 10, 0}}));
}

TEST_F(IdleSchedulerTest, NothingRunsWhileAModalAlertIsUp) {
    Task a("a", {10});
    a.InstallTask(0);
    {
        tshost::ModalScope modal;
        EXPECT_EQ(tshost::IdleScheduler::Get().Idle(50), 0);
    }
    EXPECT_TRUE(gRuns.empty());
    EXPECT_EQ(tshost::IdleScheduler::Get().Idle(0), 1);
    // A task that alerts is not run again from inside its alert.
    Task alerting("alerting", {10});
    alerting.fDuringRun = [] {
        CAlert::WarningAlert(PMString("upload failed", PMString::kNoTranslate));
        EXPECT_EQ(tshost::IdleScheduler::Get().RunDue(), 0);
    };
    alerting.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(0);
}

TEST_F(IdleSchedulerTest, TasksAreNeverReentered) {
    Task a("a", {10});
    a.fDuringRun = [] { EXPECT_EQ(tshost::IdleScheduler::Get().Idle(100), 0); };
    a.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(0);
    EXPECT_EQ(gRuns.size(), 1u);
    EXPECT_EQ(tshost::Clock::NowMs(), kStart);
}

TEST_F(IdleSchedulerTest, ATaskMayUninstallItselfOrOthersWhileRunning) {
    Task a("a", {10}), b("b", {10});
    a.fDuringRun = [&] {
        a.UninstallTask();
        b.UninstallTask();
    };
    a.InstallTask(0);
    b.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(100);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", 0, 0}}));
    {
        Task gone("gone", {10});
        gone.InstallTask(0);
    }
    EXPECT_TRUE(tshost::IdleScheduler::Get().Tasks().empty()) << "a destroyed task must not stay installed";
}

TEST_F(IdleSchedulerTest, SettingTheClockKeepsTheRemainingDelays) {
    Task a("a", {1000});
    a.InstallTask(100);
    tshost::IdleScheduler::Get().ChangeClock([] { tshost::Clock::SetVirtual(kStart - 5'000'000); });
    tshost::IdleScheduler::Get().Idle(99);
    EXPECT_TRUE(gRuns.empty());
    tshost::IdleScheduler::Get().Idle(1);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", -5'000'000 + 100, 0}}));
}

TEST_F(IdleSchedulerTest, TheHostClockGivesLocalFields) {
    std::optional<int64> at = tshost::Clock::ParseLocal("2007-03-05 23:59:30");
    ASSERT_TRUE(at);
    tshost::Clock::SetVirtual(*at);
    int32 y, mo, d, h, mi, s;
    IDTime::CurrentTime().GetTime(&y, &mo, &d, &h, &mi, &s);
    EXPECT_EQ((std::vector<int32>{y, mo, d, h, mi, s}), (std::vector<int32>{2007, 3, 5, 23, 59, 30}));
    tshost::IdleScheduler::Get().Idle(45'000);
    IDTime::CurrentTime().GetTime(&y, &mo, &d, &h, &mi, &s);
    EXPECT_EQ((std::vector<int32>{y, mo, d, h, mi, s}), (std::vector<int32>{2007, 3, 6, 0, 0, 15}));
    EXPECT_EQ(tshost::Clock::FormatLocal(tshost::Clock::NowMs()), "2007-03-06 00:00:15");
    for (const char* bad : {"2007-02-30 10:00:00", "2007-03-05", "2007-03-05 24:00:00", "07-03-05 10:00:00",
                            "2007-03-05 10:00:00x", "x"})
        EXPECT_FALSE(tshost::Clock::ParseLocal(bad)) << bad;
}

}  // namespace
