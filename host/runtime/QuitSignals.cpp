#include "QuitSignals.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "TemporaryFiles.h"

namespace tshost {

namespace {

// Lock-free, so the handler may use them.
std::atomic<int> gQuitSignal{0};
std::atomic<int> gOpenWaits{0};
std::atomic<bool> gWaitCancelled{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

void EndOrAsk(int signal) {
    if (CancelWait()) {
        int none = 0;
        gQuitSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
        return;
    }
    int none = 0;
    if (gQuitSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed)) return;
    // Asked twice: the user will not wait any longer.
    RemoveTemporaryFiles();
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    // Blocked while the handler runs: delivered, with its default action, as it returns.
    ::raise(signal);
}

void OnQuitSignal(int signal) {
    // The code the signal interrupted may be about to read errno.
    const int interruptedErrno = errno;
    EndOrAsk(signal);
    errno = interruptedErrno;
}

}  // namespace

void CatchQuitSignals() {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // One handler at a time, whichever of the signals comes.
    for (int signal : kQuitSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
}

int QuitSignal() { return gQuitSignal.load(std::memory_order_relaxed); }

void EndByQuitSignal() {
    const int signal = QuitSignal();
    if (signal == 0) return;
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    ::_exit(128 + signal);
}

void OpenCancellableWait() {
    if (gOpenWaits.fetch_add(1, std::memory_order_acq_rel) == 0) gWaitCancelled.store(false, std::memory_order_release);
}

void CloseCancellableWait() { gOpenWaits.fetch_sub(1, std::memory_order_acq_rel); }

bool CancelWait() {
    if (gOpenWaits.load(std::memory_order_acquire) == 0) return false;
    return !gWaitCancelled.exchange(true, std::memory_order_acq_rel);
}

bool WaitCancelled() { return gWaitCancelled.load(std::memory_order_acquire); }

}  // namespace tshost
