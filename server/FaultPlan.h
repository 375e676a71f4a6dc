// Misbehaviour on demand. A FaultSpec says what goes wrong (a fixed status,
// a delay, a connection dropped mid-answer, a malformed or an oversized
// answer, an answer trickled out a byte at a time, its head alone so trickled,
// an upload read at a steady slow rate, a connection reset mid-request), for how many requests and on which path; FaultPlan holds the one in
// force and hands it out request by request. The command line sets the first
// plan, the control endpoint replaces it at run time (see ControlHandler.cpp).
//
// Threading: every member is safe to call from any thread; Sleep is woken by
// Stop so that shutdown never waits for a pending delay.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace proofd {

enum class FaultKind { kNone, kStatus, kDelay, kDrop, kMalformed, kOversized, kSlow, kSlowRead, kSlowHead, kReset };

const char* FaultKindName(FaultKind kind);
bool ParseFaultKind(const std::string& name, FaultKind& kind);

struct FaultSpec {
  FaultKind kind = FaultKind::kNone;
  int status = 500;        // kStatus: the status answered instead
  int64_t delayMs = 0;     // any kind: wait this long before answering;
                           // kSlow: the pause before each byte of the answer;
                           // kSlowHead: before each byte of its head
  int64_t count = -1;      // requests it applies to; -1: until replaced
  std::string path;        // only requests to this path; empty: every path
  uint64_t bytes = 0;      // kOversized: body size; kDrop: bytes sent before closing
                           // (0 means the defaults: 64 MiB, half the body);
                           // kSlowRead: upload bytes read per second;
                           // kReset: request body bytes read before the reset

  // A reason when the values cannot work together, else empty.
  std::string Validate() const;
};

class FaultPlan {
 public:
  void Set(const FaultSpec& spec);
  FaultSpec Get() const;

  // The fault for one request to `path`, counting it against the plan; a
  // plan whose count runs out reverts to no fault.
  FaultSpec Take(const std::string& path);

  // Waits `ms` milliseconds; false when Stop cut the wait short.
  bool Sleep(int64_t ms);
  void Stop();

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  FaultSpec spec_;
  bool stopping_ = false;
};

}  // namespace proofd
