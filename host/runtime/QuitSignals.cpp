#include "QuitSignals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace tshost {

namespace {

// Lock-free, so the handler may store into it.
std::atomic<int> gQuitSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void AskToQuit(int signal) { gQuitSignal.store(signal, std::memory_order_relaxed); }

}  // namespace

void CatchQuitSignals() {
    struct sigaction action {};
    action.sa_handler = AskToQuit;
    sigemptyset(&action.sa_mask);
    // The first signal asks; the handler is then gone, and the next one ends the process.
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGTERM, SIGINT}) ::sigaction(signal, &action, nullptr);
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

}  // namespace tshost
