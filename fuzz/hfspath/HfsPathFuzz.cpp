// Round trips of the HFS <-> POSIX conversions: whatever one direction accepts, the
// other must take back to the same bytes, and the bounded forms must agree with the
// unbounded ones without writing past their buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HfsPath.h"

namespace {

constexpr std::string_view kBootNames[] = {"Macintosh HD", "A/B", "V", "Volumes"};
constexpr char kGuard = '\x5a';

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckBounded(bool (*convert)(const char*, char*, std::size_t), const std::string& in, bool accepted,
                  const std::string& expected, std::size_t outSize) {
  if (in.find('\0') != std::string::npos) return;
  std::vector<char> out(outSize + 8, kGuard);
  const bool ok = convert(in.c_str(), out.data(), outSize);
  const bool fits = accepted && expected.size() < outSize;
  Check(ok == fits);
  if (ok) Check(expected == out.data());
  if (!ok && outSize > 0) Check(out[0] == '\0');
  for (std::size_t i = outSize; i < out.size(); ++i) Check(out[i] == kGuard);
}

void RoundTrip(const std::string& in, std::size_t outSize,
               bool (*forth)(std::string_view, std::string&), bool (*back)(std::string_view, std::string&),
               bool (*bounded)(const char*, char*, std::size_t)) {
  std::string there;
  const bool accepted = forth(in, there);
  if (accepted) {
    std::string again;
    Check(back(there, again));
    Check(again == in);
  } else {
    Check(there.empty());
  }
  CheckBounded(bounded, in, accepted, there, outSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  Check(tsplatform::SetBootVolumeName(kBootNames[data[0] % std::size(kBootNames)]));
  const std::size_t outSize = data[1];
  const std::string in(reinterpret_cast<const char*>(data + 2), size - 2);

  using Unbounded = bool (*)(std::string_view, std::string&);
  using Bounded = bool (*)(const char*, char*, std::size_t);
  const auto hfsToPosix = static_cast<Unbounded>(tsplatform::HfsToPosix);
  const auto posixToHfs = static_cast<Unbounded>(tsplatform::PosixToHfs);
  RoundTrip(in, outSize, posixToHfs, hfsToPosix, static_cast<Bounded>(tsplatform::PosixToHfs));
  RoundTrip(in, outSize, hfsToPosix, posixToHfs, static_cast<Bounded>(tsplatform::HfsToPosix));
  return 0;
}
