// Base class of a plug-in's idle tasks: installing and uninstalling go to the host's
// scheduler; subclasses implement RunTask and TaskName. User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IIdleTask.h"

// Host side of the scheduler.
void InstallIdleTask(IIdleTask* task, uint32 firstDelayMs);
void UninstallIdleTask(IIdleTask* task);

class CIdleTask : public CPMUnknown<IIdleTask> {
public:
    explicit CIdleTask(IPMUnknown* boss) : CPMUnknown<IIdleTask>(boss) {}
    ~CIdleTask() override { UninstallIdleTask(this); }

    void InstallTask(uint32 firstDelayMs) override { InstallIdleTask(this, firstDelayMs); }
    void UninstallTask() override { UninstallIdleTask(this); }
};
