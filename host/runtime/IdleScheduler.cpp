#include "IdleScheduler.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "CIdleTask.h"
#include "Clock.h"
#include "Modal.h"
#include "QuitSignals.h"
#include "Transcript.h"

namespace tshost {

IdleScheduler& IdleScheduler::Get() {
    static IdleScheduler* scheduler = new IdleScheduler();
    return *scheduler;
}

void IdleScheduler::Install(IIdleTask* task, uint32 firstDelayMs) {
    if (!task) return;
    Uninstall(task);
    if (firstDelayMs == IIdleTask::kEndOfTime) return;
    fEntries.push_back(Entry{task, Clock::SteadyMs() + firstDelayMs, fNextOrder++});
}

void IdleScheduler::Uninstall(IIdleTask* task) {
    std::erase_if(fEntries, [task](const Entry& e) { return e.task == task; });
}

bool IdleScheduler::IsInstalled(const IIdleTask* task) const {
    return std::any_of(fEntries.begin(), fEntries.end(), [task](const Entry& e) { return e.task == task; });
}

int IdleScheduler::NextDue(int64 limitMs) const {
    int best = -1;
    for (std::size_t i = 0; i < fEntries.size(); ++i) {
        const Entry& e = fEntries[i];
        if (e.dueMs > limitMs) continue;
        if (best < 0 || e.dueMs < fEntries[best].dueMs || (e.dueMs == fEntries[best].dueMs && e.order < fEntries[best].order))
            best = static_cast<int>(i);
    }
    return best;
}

int IdleScheduler::RunDue() {
    if (fRunning || ModalScope::AnyUp()) return 0;
    fRunning = true;
    const int64 now = Clock::SteadyMs();
    // Each task runs at most once per pass, even if its next run falls due at once.
    std::vector<IIdleTask*>& ran = fRan;
    ran.clear();
    int runs = 0;
    for (;;) {
        int index = -1;
        for (std::size_t i = 0; i < fEntries.size(); ++i) {
            const Entry& e = fEntries[i];
            if (e.dueMs > now || std::find(ran.begin(), ran.end(), e.task) != ran.end()) continue;
            if (index < 0 || e.dueMs < fEntries[index].dueMs ||
                (e.dueMs == fEntries[index].dueMs && e.order < fEntries[index].order))
                index = static_cast<int>(i);
        }
        if (index < 0) break;
        IIdleTask* task = fEntries[index].task;
        const uint64 order = fEntries[index].order;
        ran.push_back(task);
        const uint32 flags = fBackground ? uint32(IIdleTask::kApplicationInBackground) : 0u;
        uint32 delay = IIdleTask::kEndOfTime;
        try {
            delay = task->RunTask(flags, 0);
        } catch (...) {
            // An exception must not leave the scheduler marked as running; the task is dropped.
            const char* name = task->TaskName();
            Diagnose(std::string("idle task ") + (name ? name : "?") + " failed with an exception and was removed");
        }
        ++runs;
        // The run may have uninstalled or re-installed the task, or others.
        auto it = std::find_if(fEntries.begin(), fEntries.end(), [&](const Entry& e) { return e.task == task; });
        if (it == fEntries.end() || it->order != order) continue;
        // Counted from the start of the pass, not from the end of this run: tasks that fell due
        // together and ask for the same delay fall due together again, however long the runs
        // before them took, so one wake-up serves them all.
        if (delay == IIdleTask::kEndOfTime)
            fEntries.erase(it);
        else
            it->dueMs = now + std::max<uint32>(delay, 1);
        if (ModalScope::AnyUp()) break;
    }
    fRunning = false;
    return runs;
}

namespace {

// How often a real-time wait looks whether the host has been asked to quit.
constexpr int64 kQuitCheckMs = 50;

// Brings the steady clock to `atMs`: a virtual clock moves, a real one is waited for.
void PassTimeUntil(int64 atMs) {
    if (Clock::IsVirtual()) {
        Clock::Advance(atMs - Clock::SteadyMs());
        return;
    }
    for (int64 now = Clock::SteadyMs(); now < atMs && QuitSignal() == 0; now = Clock::SteadyMs())
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(atMs - now, kQuitCheckMs)));
}

}  // namespace

int IdleScheduler::Idle(int64 ms) {
    if (fRunning) return 0;
    const int64 end = Clock::SteadyMs() + std::max<int64>(ms, 0);
    int runs = RunDue();
    while (QuitSignal() == 0) {
        int next = NextDue(end);
        if (next < 0) break;
        PassTimeUntil(fEntries[next].dueMs);
        int ran = RunDue();
        runs += ran;
        if (ran == 0 && ModalScope::AnyUp()) break;
    }
    PassTimeUntil(end);
    return runs;
}

std::vector<IdleScheduler::TaskInfo> IdleScheduler::Tasks() const {
    std::vector<Entry> sorted = fEntries;
    std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) { return a.order < b.order; });
    std::vector<TaskInfo> out;
    for (const Entry& e : sorted) {
        const char* name = e.task->TaskName();
        out.push_back(TaskInfo{name ? name : "", e.dueMs});
    }
    return out;
}

void IdleScheduler::Clear() {
    fEntries.clear();
    fBackground = false;
}

}  // namespace tshost

void InstallIdleTask(IIdleTask* task, uint32 firstDelayMs) { tshost::IdleScheduler::Get().Install(task, firstDelayMs); }

void UninstallIdleTask(IIdleTask* task) { tshost::IdleScheduler::Get().Uninstall(task); }
