// The host's clock, read by IDTime and the idle scheduler. It runs in real time until it is
// made virtual (scripts and tests); a virtual clock stands still until it is set or
// advanced. Times are milliseconds since the epoch; dates and times of day are local.
// Reading is safe on any thread (the state is atomic); changing it is for the
// user-interface thread.
#pragma once

#include <optional>
#include <string>

#include "PMTypes.h"

namespace tshost {

class Clock {
public:
    static int64 NowMs();
    static bool IsVirtual();

    // Makes the clock virtual, standing at `ms`.
    static void SetVirtual(int64 ms);
    // Makes the clock virtual at the current real time, when it is not virtual yet.
    static void MakeVirtual();
    static void UseRealTime();
    // Moves a virtual clock forward; does nothing to a real one.
    static void Advance(int64 ms);

    // Local "YYYY-MM-DD HH:MM:SS" to milliseconds; empty for text in any other form or an
    // invalid date.
    static std::optional<int64> ParseLocal(const std::string& text);
    static std::string FormatLocal(int64 ms);
};

}  // namespace tshost
