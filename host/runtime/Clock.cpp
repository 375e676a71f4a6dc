#include "Clock.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "IDTime.h"

namespace tshost {

namespace {

std::atomic<bool> gVirtual{false};
std::atomic<int64> gVirtualMs{0};
std::atomic<int64> gVirtualSteadyMs{0};
// Added to the machine's steady clock while the clock is real, so that the steady reading
// goes on from where a virtual clock left it.
std::atomic<int64> gSteadyOffsetMs{0};

int64 RealNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Real elapsed time: CLOCK_BOOTTIME goes on while the machine sleeps, where the C++ steady
// clock (CLOCK_MONOTONIC) stops.
int64 RealSteadyMs() {
#ifdef CLOCK_BOOTTIME
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) == 0) return int64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
#endif
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Whole seconds, rounding toward the past, so times before the epoch stay in their second.
std::time_t Seconds(int64 ms) { return static_cast<std::time_t>(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000)); }

}  // namespace

int64 Clock::NowMs() { return gVirtual.load(std::memory_order_acquire) ? gVirtualMs.load() : RealNowMs(); }

int64 Clock::SteadyMs() {
    return gVirtual.load(std::memory_order_acquire) ? gVirtualSteadyMs.load() : RealSteadyMs() + gSteadyOffsetMs.load();
}

bool Clock::IsVirtual() { return gVirtual.load(std::memory_order_acquire); }

void Clock::SetVirtual(int64 ms) {
    if (!IsVirtual()) gVirtualSteadyMs.store(SteadyMs());
    gVirtualMs.store(ms);
    gVirtual.store(true, std::memory_order_release);
}

void Clock::MakeVirtual() {
    if (!IsVirtual()) SetVirtual(RealNowMs());
}

void Clock::UseRealTime() {
    if (!IsVirtual()) return;
    gSteadyOffsetMs.store(gVirtualSteadyMs.load() - RealSteadyMs());
    gVirtual.store(false, std::memory_order_release);
}

void Clock::Advance(int64 ms) {
    if (!IsVirtual() || ms <= 0) return;
    gVirtualMs.fetch_add(ms);
    gVirtualSteadyMs.fetch_add(ms);
}

std::optional<int64> Clock::ParseLocal(const std::string& text) {
    int year, month, day, hour, minute, second;
    char tail;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &tail) != 6)
        return std::nullopt;
    if (text.size() != 19 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59 || year < 1900 || hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    // mktime normalises 31 February into March: such a date was not a date.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != day || tm.tm_mon != month - 1) return std::nullopt;
    return static_cast<int64>(t) * 1000;
}

std::string Clock::FormatLocal(int64 ms) {
    std::time_t t = Seconds(ms);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return "?";
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace tshost

int64 IDTime::SteadyMilliseconds() { return tshost::Clock::SteadyMs(); }

IDTime IDTime::CurrentTime() {
    IDTime now;
    now.fMilliseconds = tshost::Clock::NowMs();
    return now;
}

void IDTime::GetTime(int32* year, int32* month, int32* day, int32* hour, int32* minute, int32* second) const {
    std::time_t t = tshost::Seconds(fMilliseconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    if (year) *year = tm.tm_year + 1900;
    if (month) *month = tm.tm_mon + 1;
    if (day) *day = tm.tm_mday;
    if (hour) *hour = tm.tm_hour;
    if (minute) *minute = tm.tm_min;
    if (second) *second = tm.tm_sec;
}
