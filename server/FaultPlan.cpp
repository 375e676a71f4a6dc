#include "FaultPlan.h"

#include <chrono>

namespace proofd {
namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {FaultKind::kNone, "none"},           {FaultKind::kStatus, "status"},
    {FaultKind::kDelay, "delay"},         {FaultKind::kDrop, "drop"},
    {FaultKind::kMalformed, "malformed"}, {FaultKind::kOversized, "oversized"},
    {FaultKind::kSlow, "slow"},           {FaultKind::kSlowRead, "slow_read"},
    {FaultKind::kSlowHead, "slow_head"},   {FaultKind::kReset, "reset"},
};

constexpr int64_t kMaxDelayMs = 10 * 60 * 1000;
constexpr uint64_t kMaxBytes = uint64_t{16} << 30;

}  // namespace

const char* FaultKindName(FaultKind kind) {
  for (const auto& entry : kKindNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "none";
}

bool ParseFaultKind(const std::string& name, FaultKind& kind) {
  for (const auto& entry : kKindNames) {
    if (name == entry.name) {
      kind = entry.kind;
      return true;
    }
  }
  return false;
}

std::string FaultSpec::Validate() const {
  if (kind == FaultKind::kStatus && (status < 200 || status > 599)) {
    return "status must be between 200 and 599";
  }
  if (delayMs < 0 || delayMs > kMaxDelayMs) {
    return "delay_ms must be between 0 and " + std::to_string(kMaxDelayMs);
  }
  if ((kind == FaultKind::kDelay || kind == FaultKind::kSlow || kind == FaultKind::kSlowHead) && delayMs == 0) {
    return std::string("a ") + FaultKindName(kind) + " fault needs delay_ms";
  }
  if (kind == FaultKind::kSlowRead && bytes == 0) return "a slow_read fault needs bytes (per second)";
  if (count < -1) return "count must be -1 (no limit) or at least 0";
  if (bytes > kMaxBytes) return "bytes must be at most " + std::to_string(kMaxBytes);
  if (!path.empty() && path[0] != '/') return "path must start with /";
  return std::string();
}

void FaultPlan::Set(const FaultSpec& spec) {
  std::lock_guard<std::mutex> lock(mutex_);
  spec_ = spec;
}

FaultSpec FaultPlan::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return spec_;
}

FaultSpec FaultPlan::Take(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool idle = spec_.kind == FaultKind::kNone && spec_.delayMs == 0;
  if (idle || spec_.count == 0 || (!spec_.path.empty() && spec_.path != path)) {
    return FaultSpec();
  }
  FaultSpec taken = spec_;
  if (spec_.count > 0 && --spec_.count == 0) spec_ = FaultSpec();
  return taken;
}

bool FaultPlan::Sleep(int64_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void FaultPlan::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
}

}  // namespace proofd
