#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>

#include "platform/Folders.h"
#include "platform/Overrides.h"
#include "platform/Sysctl.h"

namespace tsplatform {
namespace {

using Env = std::optional<std::string>;
constexpr std::uint64_t kMB = 1024ull * 1024;

Env GetEnv(const char* name) { return std::getenv(name) ? Env(std::getenv(name)) : std::nullopt; }
void SetEnv(const char* name, const Env& value) { value ? setenv(name, value->c_str(), 1) : unsetenv(name); }

class SystemTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearOverrides(); }
};

// The errno of a failed query, 0 on success.
int Error(int entry, void* oldp, std::size_t* oldlenp, int top = CTL_HW) {
  int name[2] = {top, entry};
  errno = 0;
  return tsplatform::sysctl(name, 2, oldp, oldlenp, nullptr, 0) == 0 ? 0 : errno;
}

template <typename T>
T Number(int entry) {
  T value{};
  std::size_t size = sizeof value;
  EXPECT_EQ(Error(entry, &value, &size), 0) << entry;
  EXPECT_EQ(size, sizeof value) << entry;
  return value;
}

// The size query gives what the value needs; a buffer one byte short is refused and left untouched; a failure
// wins over a value.
TEST_F(SystemTest, OverriddenValuesNeedTheirWholeBufferAndFailuresWin) {
  Overrides overrides;
  overrides.hardwareModel = "iMac7,1";
  overrides.processorCount = 2;
  overrides.memoryBytes = 1024 * kMB;
  for (const auto& [entry, needed, flag] : {std::tuple{HW_MODEL, 8u, &Overrides::failHardwareModel},
                                            {HW_NCPU, 4u, &Overrides::failProcessorCount},
                                            {HW_PHYSMEM, 4u, &Overrides::failMemory},
                                            {HW_MEMSIZE, 8u, &Overrides::failMemory}}) {
    SetOverrides(overrides);
    std::size_t size = 0;
    EXPECT_EQ(Error(entry, nullptr, &size), 0) << entry;
    EXPECT_EQ(size, needed) << entry;
    std::string buffer(16, '#');
    size = needed - 1;
    EXPECT_EQ(Error(entry, buffer.data(), &size), ENOMEM) << entry;
    EXPECT_EQ(size, needed - 1) << entry;
    EXPECT_EQ(buffer, std::string(16, '#')) << entry;
    Overrides failing = overrides;
    failing.*flag = true;
    SetOverrides(failing);
    size = 0;
    EXPECT_EQ(Error(entry, nullptr, &size), ENOENT) << entry;
    EXPECT_EQ(size, 0u) << entry;
  }
  SetOverrides(overrides);
  char model[16] = {};
  std::size_t size = sizeof model;
  EXPECT_EQ(Error(HW_MODEL, model, &size), 0);
  EXPECT_EQ(std::string(model, size), std::string("iMac7,1", 8));
  EXPECT_EQ(Number<std::int32_t>(HW_NCPU), 2);

  // The 32-bit answer stops just under 2 GB; in whole GB, 512 MB reads as 0 and 1.5 GB as 1.
  for (const auto& [bytes, physmem] : {std::pair{512 * kMB, 512 << 20}, {1536 * kMB, 1536 << 20},
                                       {2048 * kMB, INT32_MAX}, {16384 * kMB, INT32_MAX}}) {
    overrides.memoryBytes = bytes;
    SetOverrides(overrides);
    EXPECT_EQ(Number<std::int32_t>(HW_PHYSMEM), physmem) << bytes;
    EXPECT_EQ(static_cast<std::uint64_t>(Number<std::int64_t>(HW_MEMSIZE)), bytes);
  }
}

TEST_F(SystemTest, SysctlRefusesBadRequests) {
  int model[2] = {CTL_HW, HW_MODEL};
  char buffer[64];
  std::size_t size = sizeof buffer;
  EXPECT_EQ(tsplatform::sysctl(nullptr, 2, buffer, &size, nullptr, 0), -1);
  EXPECT_EQ(tsplatform::sysctl(model, 1, buffer, &size, nullptr, 0), -1);
  EXPECT_EQ(tsplatform::sysctl(model, 2, buffer, nullptr, nullptr, 0), -1);
  EXPECT_EQ(Error(99, buffer, &size), ENOENT);
  EXPECT_EQ(Error(HW_MODEL, buffer, &size, 1), ENOENT);
}

TEST_F(SystemTest, ApplicationSupportFollowsXdgDataHomeThenHome) {
  const std::tuple<Env, Env, std::string> cases[] = {
      {"//data//x//", "/home/u", "/data/x"},     {"/d", std::nullopt, "/d"},
      {"relative/x", "/home/u", "/home/u/.local/share"}, {"", "/home/u", "/home/u/.local/share"},
      {"/", "/home/u", "/home/u/.local/share"}, {std::nullopt, "/", "/.local/share"},
      {std::nullopt, "/home/u/", "/home/u/.local/share"}, {std::nullopt, std::nullopt, ""},
      {std::nullopt, "", ""}, {"relative", "relative", ""}, {"/data/x", "/home/u", "/data/x"}};
  const Env before[] = {GetEnv("XDG_DATA_HOME"), GetEnv("HOME")};
  for (const auto& [xdg, home, expected] : cases) {
    SetEnv("XDG_DATA_HOME", xdg);
    SetEnv("HOME", home);
    EXPECT_EQ(ApplicationSupportFolder(), expected) << xdg.value_or("(unset)") << " " << home.value_or("(unset)");
  }
  // The override wins over the environment's "/data/x" and is held to the same rules.
  for (const auto& [root, fail, expected] : {std::tuple{"/tmp/s/", false, "/tmp/s"}, {"not/absolute", false, ""},
                                             {"/tmp/s", true, ""}}) {
    Overrides overrides;
    overrides.applicationSupportRoot = root;
    overrides.failApplicationSupport = fail;
    SetOverrides(overrides);
    EXPECT_EQ(ApplicationSupportFolder(), expected) << root;
  }
  SetEnv("XDG_DATA_HOME", before[0]);
  SetEnv("HOME", before[1]);
}

}  // namespace
}  // namespace tsplatform
