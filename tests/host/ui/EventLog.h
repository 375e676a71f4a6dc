// What a UI test plug-in was asked, in order. User-interface thread only.
#pragma once

#include <string>
#include <vector>

namespace tstest {

struct EventLog {
    std::vector<std::string> events;
    // The events so far, joined by "; ", and clears them.
    std::string Take() {
        std::string joined;
        for (const std::string& e : events) joined += (joined.empty() ? "" : "; ") + e;
        events.clear();
        return joined;
    }
};

}  // namespace tstest
