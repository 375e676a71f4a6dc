// The host's clock: local date and time in fields, and a steady reading for durations. It is
// real time normally; scripts and tests run it virtually (the console's clock commands), and
// everything that reads the time, idle tasks included, reads this clock. User-interface
// thread only.
#pragma once

#include "PMTypes.h"

class IDTime {
public:
    // Now, by the host's clock.
    static IDTime CurrentTime();
    // The moment `ms` milliseconds after the epoch.
    static IDTime AtMilliseconds(int64 ms) {
        IDTime at;
        at.fMilliseconds = ms;
        return at;
    }
    // Milliseconds of real elapsed time from an arbitrary zero, the machine's sleep included:
    // it never steps when the date and time are set, so the difference of two readings is
    // how long passed between them.
    static int64 SteadyMilliseconds();

    void GetTime(int32* year, int32* month, int32* day, int32* hour, int32* minute, int32* second) const;
    // Milliseconds since the epoch, by the host's clock.
    int64 GetMilliseconds() const { return fMilliseconds; }

private:
    int64 fMilliseconds = 0;
};
