// Runs the installed idle tasks on the user-interface thread, by the host's steady clock, so
// that setting the date and time changes no task's remaining delay. A task runs first after
// its install delay, then after each delay its run returned, counted from the moment its
// pass began (so tasks due together stay together and wake the host once); kEndOfTime ends
// it. A task whose moment passed while nothing could run (a modal dialog was up, the machine
// slept) runs once when the scheduler next runs, not once for every moment it missed. Tasks that fall due at the same moment run in install order (re-installing a
// task puts it last). Nothing runs while a modal alert or dialog is up, and a task is never
// re-entered: a run that leads back into the scheduler runs nothing. A task always waits at
// least 1 ms between runs, so a task returning 0 cannot hold the clock still. The flags
// passed to a run have kApplicationInBackground set while the application is in the
// background. The scheduler holds no references: a task's destructor uninstalls it.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "IIdleTask.h"

namespace tshost {

class IdleScheduler {
public:
    // Lives until the process ends, so tasks destroyed late can still uninstall.
    static IdleScheduler& Get();

    void Install(IIdleTask* task, uint32 firstDelayMs);
    void Uninstall(IIdleTask* task);
    bool IsInstalled(const IIdleTask* task) const;

    // Runs every task due now, once each, in due-time then install order. Returns the
    // number of runs.
    int RunDue();
    // Lets `ms` of idle time pass. On a virtual clock the clock moves to each moment a task
    // falls due and runs it there, then to the end; on a real clock it sleeps until each
    // moment. Idle time ends early once the host is asked to quit (QuitSignals.h). Returns
    // the number of runs.
    int Idle(int64 ms);

    void SetBackground(bool background) { fBackground = background; }
    bool InBackground() const { return fBackground; }

    struct TaskInfo {
        std::string name;
        int64 dueMs;  // on the steady clock
    };
    // The installed tasks in install order.
    std::vector<TaskInfo> Tasks() const;
    void Clear();

private:
    IdleScheduler() = default;

    struct Entry {
        IIdleTask* task;
        int64 dueMs;
        uint64 order;
    };
    // Index of the next task to run at or before `limitMs`, or -1.
    int NextDue(int64 limitMs) const;

    std::vector<Entry> fEntries;
    std::vector<IIdleTask*> fRan;  // the tasks run in the current pass; kept to spare an allocation per pass
    uint64 fNextOrder = 0;
    bool fBackground = false;
    bool fRunning = false;
};

}  // namespace tshost
