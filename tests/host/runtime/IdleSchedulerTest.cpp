// The idle scheduler on the virtual clock: first runs after the install delay, then after
// each returned delay, in install order at equal times; nothing while a modal alert is up; no
// re-entry; uninstalling during a run; setting the clock and the machine's sleep; and IDTime
// reading the clock. (The background flag is
// seen through the console's test plug-in.)
#include <gtest/gtest.h>

#include <functional>
#include <map>

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

// Runs take time; tasks that fell due together still run together, in install order, and each
// keeps its period: the host wakes once for them.
TEST_F(IdleSchedulerTest, TasksDueTogetherStayTogetherHoweverLongTheirRunsTake) {
    Task progress("progress", {10}), app("app", {10}), active("active", {1000});
    for (Task* task : {&progress, &app, &active}) task->fDuringRun = [] { tshost::Clock::Advance(1); };
    active.InstallTask(0);
    app.InstallTask(0);
    progress.InstallTask(100);
    tshost::IdleScheduler::Get().Idle(2000);
    std::map<std::string, std::vector<int64>> starts;
    for (const RunRecord& run : gRuns) starts[run.task].push_back(run.at);
    ASSERT_EQ(starts["app"].size(), 201u);
    ASSERT_EQ(starts["progress"].size(), 191u);
    EXPECT_EQ(starts["active"], (std::vector<int64>{0, 1000, 2000}));
    for (std::size_t i = 0; i < starts["app"].size(); ++i) EXPECT_EQ(starts["app"][i], static_cast<int64>(10 * i + (i % 100 == 0)));
    for (std::size_t i = 0; i < starts["progress"].size(); ++i)
        EXPECT_EQ(starts["progress"][i], starts["app"][i + 10] + 1) << "each run right after the app tracker's";
}

TEST_F(IdleSchedulerTest, ReinstallingPutsATaskLastAndTasksEndOrUninstallAtAnyTime) {
    Task a("a", {5}), b("b", {5, IIdleTask::kEndOfTime}), zero("zero", {0});
    a.InstallTask(0);
    b.InstallTask(0);
    a.InstallTask(0);
    tshost::IdleScheduler::Get().Idle(10);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"b", 0, 0}, {"a", 0, 0}, {"b", 5, 0}, {"a", 5, 0}, {"a", 10, 0}}));
    EXPECT_FALSE(tshost::IdleScheduler::Get().IsInstalled(&b));
    // A zero delay still lets time pass; a run may uninstall itself and a task due with it.
    a.fDuringRun = [&] {
        a.UninstallTask();
        zero.UninstallTask();
    };
    zero.InstallTask(0);
    EXPECT_EQ(tshost::IdleScheduler::Get().Idle(100), 6);  // zero at 10 .. 14, a at 15
    {
        Task gone("gone", {10});
        gone.InstallTask(0);
    }
    EXPECT_TRUE(tshost::IdleScheduler::Get().Tasks().empty()) << "a destroyed task must not stay installed";
}

TEST_F(IdleSchedulerTest, NothingRunsWhileAModalAlertIsUpOrFromInsideARun) {
    Task a("a", {10});
    a.InstallTask(0);
    {
        tshost::ModalScope modal;
        EXPECT_EQ(tshost::IdleScheduler::Get().Idle(50), 0);
    }
    EXPECT_TRUE(gRuns.empty());
    a.fDuringRun = [] { EXPECT_EQ(tshost::IdleScheduler::Get().Idle(100), 0); };
    EXPECT_EQ(tshost::IdleScheduler::Get().Idle(0), 1);
    EXPECT_EQ(tshost::Clock::NowMs(), kStart + 50) << "a run that re-entered the scheduler let time pass";
    // A task that alerts is not run again from inside its alert.
    Task alerting("alerting", {10});
    alerting.fDuringRun = [] {
        CAlert::WarningAlert(PMString("upload failed", PMString::kNoTranslate));
        EXPECT_EQ(tshost::IdleScheduler::Get().RunDue(), 0);
    };
    alerting.InstallTask(0);
    EXPECT_EQ(tshost::IdleScheduler::Get().Idle(0), 1);
}

// Setting the date and time, either way, is no idle time: every task's remaining delay
// stays. A sleep of the machine moves both clocks and runs nothing; a task that fell due
// meanwhile runs once when idle time comes. The steady clock goes on across a switch.
TEST_F(IdleSchedulerTest, SettingTheClockKeepsTheRemainingDelaysAndASleepRunsNothing) {
    std::optional<int64> at = tshost::Clock::ParseLocal("2007-03-05 23:59:30");
    ASSERT_TRUE(at);
    Task a("a", {1000});
    a.InstallTask(100);
    for (int64 wall : {*at + 3'600'000, *at - 3'600'000, *at}) tshost::Clock::SetVirtual(wall);
    tshost::IdleScheduler::Get().Idle(99);
    EXPECT_TRUE(gRuns.empty());
    tshost::IdleScheduler::Get().Idle(1);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", *at + 100 - kStart, 0}}));
    int32 y, mo, d, h, mi, s;
    IDTime::CurrentTime().GetTime(&y, &mo, &d, &h, &mi, &s);
    EXPECT_EQ((std::vector<int32>{y, mo, d, h, mi, s}), (std::vector<int32>{2007, 3, 5, 23, 59, 30}));

    const int64 steady = IDTime::SteadyMilliseconds();
    tshost::Clock::Advance(3'600'000);
    EXPECT_EQ(IDTime::SteadyMilliseconds(), steady + 3'600'000);
    EXPECT_EQ(gRuns.size(), 1u);
    tshost::IdleScheduler::Get().Idle(0);
    EXPECT_EQ(gRuns, (std::vector<RunRecord>{{"a", *at + 100 - kStart, 0}, {"a", *at + 3'600'100 - kStart, 0}}));
    tshost::Clock::UseRealTime();
    const int64 real = IDTime::SteadyMilliseconds();
    tshost::Clock::MakeVirtual();
    EXPECT_GE(real, steady + 3'600'000);
    EXPECT_GE(IDTime::SteadyMilliseconds(), real);
    for (const char* bad : {"2007-02-30 10:00:00", "2007-03-05", "2007-03-05 24:00:00", "07-03-05 10:00:00",
                            "2007-03-05 10:00:00x", "x"})
        EXPECT_FALSE(tshost::Clock::ParseLocal(bad)) << bad;
}

}  // namespace
