// A task the host runs on the user-interface thread when it is idle. InstallTask schedules
// the first run after a delay in milliseconds; each run returns the delay to the next one.
// The flags passed to RunTask have bit 0 set while the application is in the background.
// Never run while a modal alert or dialog is up, and never re-entered.
#pragma once

#include "IPMUnknown.h"

class IIdleTask : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20002 };
    enum : uint32 { kApplicationInBackground = 1 };
    // Returned by RunTask to be removed from the schedule.
    static constexpr uint32 kEndOfTime = 0xFFFFFFFF;

    virtual void InstallTask(uint32 firstDelayMs) = 0;
    virtual void UninstallTask() = 0;
    virtual uint32 RunTask(uint32 appFlags, uint32 timeCheckMs) = 0;
    virtual const char* TaskName() = 0;
};
