#include "platform/Sysctl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/Overrides.h"

namespace tsplatform {
namespace {

constexpr std::uint64_t kMB = 1024ull * 1024;
constexpr std::uint64_t kGB = 1024 * kMB;

class SysctlTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearOverrides(); }

  static int Query(int entry, void* oldp, std::size_t* oldlenp) {
    int name[2] = {CTL_HW, entry};
    return tsplatform::sysctl(name, 2, oldp, oldlenp, nullptr, 0);
  }

  // Asks for the size, then the value, the way the callers do; "" and a failure on either refusal.
  static ::testing::AssertionResult Model(std::string& model) {
    std::size_t size = 0;
    if (Query(HW_MODEL, nullptr, &size) != 0) return ::testing::AssertionFailure() << "size query failed";
    std::vector<char> buffer(size, '#');
    std::size_t length = size;
    if (Query(HW_MODEL, buffer.data(), &length) != 0) return ::testing::AssertionFailure() << "value query failed";
    if (length != size || size == 0 || buffer[size - 1] != '\0')
      return ::testing::AssertionFailure() << "not a NUL-terminated text of the announced size";
    model.assign(buffer.data());
    if (model.size() != size - 1) return ::testing::AssertionFailure() << "NUL inside the model";
    return ::testing::AssertionSuccess();
  }

  template <typename T>
  static ::testing::AssertionResult Number(int entry, T& value) {
    std::size_t size = 0;
    if (Query(entry, nullptr, &size) != 0) return ::testing::AssertionFailure() << "size query failed";
    if (size != sizeof value) return ::testing::AssertionFailure() << "size " << size;
    if (Query(entry, &value, &size) != 0) return ::testing::AssertionFailure() << "value query failed";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(SysctlTest, MachineModelIsACleanText) {
  std::string model;
  ASSERT_TRUE(Model(model));
  ASSERT_FALSE(model.empty());
  EXPECT_NE(model.front(), ' ');
  EXPECT_NE(model.back(), ' ');
  for (unsigned char c : model) EXPECT_GE(c, 0x20) << model;
}

TEST_F(SysctlTest, MachineNumbersAgree) {
  std::int32_t processors = 0;
  ASSERT_TRUE(Number(HW_NCPU, processors));
  EXPECT_GE(processors, 1);

  std::int64_t memsize = 0;
  std::int32_t physmem = 0;
  ASSERT_TRUE(Number(HW_MEMSIZE, memsize));
  ASSERT_TRUE(Number(HW_PHYSMEM, physmem));
  EXPECT_GT(memsize, 0);
  EXPECT_EQ(physmem, std::min<std::int64_t>(memsize, std::numeric_limits<std::int32_t>::max()));
}

TEST_F(SysctlTest, TooSmallBufferIsRefusedUntouched) {
  Overrides overrides;
  overrides.hardwareModel = "iMac7,1";
  SetOverrides(overrides);

  const struct {
    int entry;
    std::size_t needed;
  } cases[] = {{HW_MODEL, 8}, {HW_NCPU, 4}, {HW_PHYSMEM, 4}, {HW_MEMSIZE, 8}};
  for (const auto& c : cases) {
    std::vector<char> buffer(16, '#');
    std::size_t size = c.needed - 1;
    errno = 0;
    EXPECT_EQ(Query(c.entry, buffer.data(), &size), -1) << c.entry;
    EXPECT_EQ(errno, ENOMEM) << c.entry;
    EXPECT_EQ(size, c.needed - 1) << c.entry;
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(16, '#')) << c.entry;

    size = buffer.size();
    EXPECT_EQ(Query(c.entry, buffer.data(), &size), 0) << c.entry;
    EXPECT_EQ(size, c.needed) << c.entry;
  }
}

TEST_F(SysctlTest, RefusesBadRequests) {
  int model[2] = {CTL_HW, HW_MODEL};
  int notHardware[2] = {1, HW_MODEL};
  int unknown[2] = {CTL_HW, 99};
  char buffer[64];
  std::size_t size = sizeof buffer;
  const struct {
    const char* what;
    int* name;
    unsigned namelen;
    void* oldp;
    std::size_t* oldlenp;
    void* newp;
    std::size_t newlen;
    int error;
  } cases[] = {
      {"no name", nullptr, 2, buffer, &size, nullptr, 0, EINVAL},
      {"short name", model, 1, buffer, &size, nullptr, 0, EINVAL},
      {"long name", model, 3, buffer, &size, nullptr, 0, EINVAL},
      {"not hardware", notHardware, 2, buffer, &size, nullptr, 0, ENOENT},
      {"unknown entry", unknown, 2, buffer, &size, nullptr, 0, ENOENT},
      {"write", model, 2, nullptr, nullptr, buffer, 4, EPERM},
      {"buffer without size", model, 2, buffer, nullptr, nullptr, 0, EINVAL},
  };
  for (const auto& c : cases) {
    errno = 0;
    EXPECT_EQ(tsplatform::sysctl(c.name, c.namelen, c.oldp, c.oldlenp, c.newp, c.newlen), -1) << c.what;
    EXPECT_EQ(errno, c.error) << c.what;
  }
}

TEST_F(SysctlTest, OverridesReplaceValues) {
  Overrides overrides;
  overrides.hardwareModel = "MacPro1,1";
  overrides.processorCount = 2;
  SetOverrides(overrides);

  std::string model;
  ASSERT_TRUE(Model(model));
  EXPECT_EQ(model, "MacPro1,1");
  std::int32_t processors = 0;
  ASSERT_TRUE(Number(HW_NCPU, processors));
  EXPECT_EQ(processors, 2);
}

// The memory text divides the 32-bit answer by 2^30; the 32-bit answer stops just under 2 GB.
TEST_F(SysctlTest, MemoryThroughOverrides) {
  const struct {
    std::uint64_t bytes;
    std::int32_t physmem;
    std::int32_t wholeGB;
  } cases[] = {
      {512 * kMB, 512 * 1024 * 1024, 0},
      {1536 * kMB, 1536 * 1024 * 1024, 1},
      {2 * kGB, std::numeric_limits<std::int32_t>::max(), 1},
      {16 * kGB, std::numeric_limits<std::int32_t>::max(), 1},
  };
  for (const auto& c : cases) {
    Overrides overrides;
    overrides.memoryBytes = c.bytes;
    SetOverrides(overrides);
    std::int32_t physmem = 0;
    std::int64_t memsize = 0;
    ASSERT_TRUE(Number(HW_PHYSMEM, physmem));
    ASSERT_TRUE(Number(HW_MEMSIZE, memsize));
    EXPECT_EQ(physmem, c.physmem) << c.bytes;
    EXPECT_EQ(physmem / (1 << 30), c.wholeGB) << c.bytes;
    EXPECT_EQ(static_cast<std::uint64_t>(memsize), c.bytes);
  }
}

TEST_F(SysctlTest, FailuresFailBothQueries) {
  const struct {
    int entry;
    void (*fail)(Overrides&);
  } cases[] = {
      {HW_MODEL, [](Overrides& o) { o.failHardwareModel = true; }},
      {HW_NCPU, [](Overrides& o) { o.failProcessorCount = true; }},
      {HW_PHYSMEM, [](Overrides& o) { o.failMemory = true; }},
      {HW_MEMSIZE, [](Overrides& o) { o.failMemory = true; }},
  };
  for (const auto& c : cases) {
    Overrides overrides;
    overrides.hardwareModel = "iMac7,1";
    overrides.processorCount = 4;
    overrides.memoryBytes = kGB;
    c.fail(overrides);
    SetOverrides(overrides);

    std::size_t size = 0;
    errno = 0;
    EXPECT_EQ(Query(c.entry, nullptr, &size), -1) << c.entry;
    EXPECT_EQ(errno, ENOENT) << c.entry;
    EXPECT_EQ(size, 0u) << c.entry;
    char buffer[64] = {};
    size = sizeof buffer;
    EXPECT_EQ(Query(c.entry, buffer, &size), -1) << c.entry;
  }
}

}  // namespace
}  // namespace tsplatform
