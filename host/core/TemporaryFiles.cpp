#include "TemporaryFiles.h"

#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstring>

namespace tshost {

namespace {

// An export and an upload at a time each keep a file and at most a folder: room to spare.
constexpr std::size_t kSlots = 32;
constexpr std::size_t kPathRoom = 4096;

enum SlotState : int { kFree, kBusy, kKept };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathRoom] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot gSlots[kSlots];

}  // namespace

bool KeepTemporaryFile(std::string_view posixPath) {
    if (posixPath.empty() || posixPath.size() >= kPathRoom || posixPath.find('\0') != std::string_view::npos)
        return false;
    for (Slot& slot : gSlots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy, std::memory_order_acquire)) continue;
        std::memcpy(slot.path, posixPath.data(), posixPath.size());
        slot.path[posixPath.size()] = '\0';
        slot.state.store(kKept, std::memory_order_release);
        return true;
    }
    return false;
}

void ForgetTemporaryFile(std::string_view posixPath) {
    for (Slot& slot : gSlots) {
        int expected = kKept;
        if (!slot.state.compare_exchange_strong(expected, kBusy, std::memory_order_acquire)) continue;
        const bool same = posixPath == std::string_view(slot.path);
        slot.state.store(same ? kFree : kKept, std::memory_order_release);
    }
}

void RemoveTemporaryFiles() {
    // Files first, so that the folders holding them are empty when their turn comes.
    for (Slot& slot : gSlots)
        if (slot.state.load(std::memory_order_acquire) == kKept) ::unlink(slot.path);
    for (Slot& slot : gSlots)
        if (slot.state.load(std::memory_order_acquire) == kKept) ::rmdir(slot.path);
}

}  // namespace tshost
