// What waking every 10 ms costs on this machine with no work at all: the floor under the
// host's idle figure in idle-cpu.py. Sleeps to the same kind of deadlines as the host's idle
// loop for the given seconds, then prints its CPU time as a percentage of a core.
//   wake_floor [seconds, default 10]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: wake_floor [seconds]\n");
        return 2;
    }
    const double cpuBefore = CpuSeconds();
    auto due = std::chrono::system_clock::now();
    const auto end = due + std::chrono::seconds(seconds);
    while (due < end) {
        due += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(due);
    }
    std::printf("%.3f\n", 100.0 * (CpuSeconds() - cpuBefore) / seconds);
    return 0;
}
