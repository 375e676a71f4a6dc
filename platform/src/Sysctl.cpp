#include "platform/Sysctl.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "Text.h"
#include "platform/Overrides.h"

namespace tsplatform {

namespace {

constexpr const char* kDmiProductName = "/sys/class/dmi/id/product_name";
constexpr std::streamsize kDmiReadLimit = 4096;

int Fail(int error) {
  errno = error;
  return -1;
}

std::string DmiProductName() {
  std::ifstream file(kDmiProductName, std::ios::binary);
  if (!file) return {};
  std::string text(static_cast<std::size_t>(kDmiReadLimit), '\0');
  file.read(text.data(), kDmiReadLimit);
  text.resize(static_cast<std::size_t>(file.gcount()));
  return detail::CleanSystemText(text);
}

bool HardwareModel(std::string& model) {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.failHardwareModel) return false;
  if (overrides.hardwareModel) {
    model = *overrides.hardwareModel;
    return true;
  }
  model = DmiProductName();
  if (!model.empty()) return true;
  struct utsname names {};
  if (uname(&names) != 0) return false;
  model = detail::CleanSystemText(std::string_view(names.machine, strnlen(names.machine, sizeof names.machine)));
  return !model.empty();
}

bool MemoryBytes(std::uint64_t& bytes) {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.failMemory) return false;
  if (overrides.memoryBytes) {
    bytes = *overrides.memoryBytes;
    return true;
  }
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return false;
  return !__builtin_mul_overflow(static_cast<std::uint64_t>(pages), static_cast<std::uint64_t>(pageSize), &bytes);
}

bool ProcessorCount(std::int32_t& count) {
  const Overrides& overrides = CurrentOverrides();
  if (overrides.failProcessorCount) return false;
  if (overrides.processorCount) {
    count = *overrides.processorCount;
    return true;
  }
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  if (online <= 0) return false;
  count = online > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                           : static_cast<std::int32_t>(online);
  return true;
}

template <typename T>
std::string Bytes(T value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The value of CTL_HW entry `entry` as the bytes a caller receives; false when unknown or unavailable.
bool HardwareValue(int entry, std::string& value) {
  switch (entry) {
    case HW_MODEL: {
      std::string model;
      if (!HardwareModel(model)) return false;
      value = model;
      value.push_back('\0');
      return true;
    }
    case HW_NCPU: {
      std::int32_t count = 0;
      if (!ProcessorCount(count)) return false;
      value = Bytes(count);
      return true;
    }
    case HW_PHYSMEM: {
      std::uint64_t bytes = 0;
      if (!MemoryBytes(bytes)) return false;
      constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
      value = Bytes(static_cast<std::int32_t>(bytes > kMax ? kMax : bytes));
      return true;
    }
    case HW_MEMSIZE: {
      std::uint64_t bytes = 0;
      if (!MemoryBytes(bytes)) return false;
      constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
      value = Bytes(static_cast<std::int64_t>(bytes > kMax ? kMax : bytes));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

int sysctl(int* name, unsigned namelen, void* oldp, std::size_t* oldlenp, void* newp, std::size_t newlen) {
  if (!name || namelen != 2) return Fail(EINVAL);
  if (name[0] != CTL_HW) return Fail(ENOENT);
  if (newp || newlen) return Fail(EPERM);
  if (oldp && !oldlenp) return Fail(EINVAL);

  std::string value;
  if (!HardwareValue(name[1], value)) return Fail(ENOENT);
  if (!oldlenp) return 0;
  if (!oldp) {
    *oldlenp = value.size();
    return 0;
  }
  if (*oldlenp < value.size()) return Fail(ENOMEM);
  std::memcpy(oldp, value.data(), value.size());
  *oldlenp = value.size();
  return 0;
}

}  // namespace tsplatform
