#include "platform/HfsPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tsplatform {
namespace {

class HfsPathTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_TRUE(SetBootVolumeName(kDefaultBootVolumeName)); }
};

struct PathPair {
  std::string posix;
  std::string hfs;
};

const std::vector<PathPair> kPairs = {
    {"", ""},
    {"/", "Macintosh HD:"},
    {"/Users/a/b.indd", "Macintosh HD:Users:a:b.indd"},
    {"/Users/a/", "Macintosh HD:Users:a:"},
    {"/tmp/Flyer.pdf", "Macintosh HD:tmp:Flyer.pdf"},
    {"/tmp/a:b", "Macintosh HD:tmp:a/b"},
    {"/x/:/y", "Macintosh HD:x:/:y"},
    {"/Volumes/Work", "Work:"},
    {"/Volumes/Work/x", "Work:x"},
    {"/Volumes/Work/Jobs/", "Work:Jobs:"},
    {"/Volumes/A:B/c:d", "A/B:c/d"},
    {"/Volumes", "Macintosh HD:Volumes"},
    {"/Volumes/", "Macintosh HD:Volumes:"},
    {"/Volumes/Volumes", "Volumes:"},
    {"/Users/\xC3\xBC/Caf\xC3\xA9.indd", "Macintosh HD:Users:\xC3\xBC:Caf\xC3\xA9.indd"},
    {"/a/.hidden/.../x.", "Macintosh HD:a:.hidden:...:x."},
    {"/ lead/trail /a b", "Macintosh HD: lead:trail :a b"},
};

TEST_F(HfsPathTest, ConvertsBothWays) {
  for (const auto& pair : kPairs) {
    std::string out = "stale";
    EXPECT_TRUE(PosixToHfs(pair.posix, out)) << pair.posix;
    EXPECT_EQ(out, pair.hfs) << pair.posix;
    out = "stale";
    EXPECT_TRUE(HfsToPosix(pair.hfs, out)) << pair.hfs;
    EXPECT_EQ(out, pair.posix) << pair.hfs;
  }
}

TEST_F(HfsPathTest, RefusesPosixPathsWithoutAFaithfulHfsForm) {
  const std::vector<std::string> refused = {
      "relative",        "a/b",          "./a",           "//",
      "/a//b",           "/a/b//",       "/a/./b",        "/a/../b",
      "/..",             "/.",           "/Volumes/..",   "/Volumes/Macintosh HD",
      "/Volumes/Macintosh HD/x",         "/Volumes/Work/", std::string("/a\0b", 4),
  };
  for (const auto& path : refused) {
    std::string out = "stale";
    EXPECT_FALSE(PosixToHfs(path, out)) << path;
    EXPECT_EQ(out, "") << path;
  }
}

TEST_F(HfsPathTest, RefusesHfsPathsWithoutAFaithfulPosixForm) {
  const std::vector<std::string> refused = {
      "relative",
      ":a:b",
      "Macintosh HD::a",
      "Macintosh HD:a::b",
      "Macintosh HD:a::",
      "Work::",
      "Macintosh HD:..:x",
      "Macintosh HD:.",
      "..:x",
      ".:",
      "Macintosh HD:Volumes:Work",
      "Macintosh HD:Volumes:Work:x",
      std::string("Macintosh HD:a\0b", 17),
  };
  for (const auto& path : refused) {
    std::string out = "stale";
    EXPECT_FALSE(HfsToPosix(path, out)) << path;
    EXPECT_EQ(out, "") << path;
  }
}

TEST_F(HfsPathTest, BootVolumeNameIsSettable) {
  ASSERT_TRUE(SetBootVolumeName("Data"));
  EXPECT_EQ(BootVolumeName(), "Data");
  std::string out;
  EXPECT_TRUE(PosixToHfs("/", out));
  EXPECT_EQ(out, "Data:");
  EXPECT_TRUE(HfsToPosix("Macintosh HD:x", out));
  EXPECT_EQ(out, "/Volumes/Macintosh HD/x");
  EXPECT_FALSE(PosixToHfs("/Volumes/Data/x", out));

  for (std::string_view bad : {std::string_view(""), std::string_view("a:b"), std::string_view("a\0b", 3)}) {
    EXPECT_FALSE(SetBootVolumeName(bad));
    EXPECT_EQ(BootVolumeName(), "Data");
  }
}

TEST_F(HfsPathTest, FolderMarkStripsForComposition) {
  const std::vector<PathPair> cases = {
      // {typed, stripped}
      {"Macintosh HD:Users:a:", "Macintosh HD:Users:a"},
      {"Macintosh HD:Users:a", "Macintosh HD:Users:a"},
      {"Macintosh HD:", "Macintosh HD:"},
      {"Work:", "Work:"},
      {"Work:Jobs:", "Work:Jobs"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripHfsFolderMark(c.posix), c.hfs) << c.posix;

  const std::string typed = "Macintosh HD:Users:a:";
  std::string out;
  EXPECT_FALSE(HfsToPosix(typed + ":x.pdf", out));
  EXPECT_TRUE(HfsToPosix(StripHfsFolderMark(typed) + ":x.pdf", out));
  EXPECT_EQ(out, "/Users/a/x.pdf");
}

// Random paths over the characters that matter to the rules, both directions:
// whatever is accepted must come back byte for byte.
TEST_F(HfsPathTest, AcceptedPathsRoundTrip) {
  const std::string alphabet = "/:./:aV \xC3";
  const std::vector<std::string> starts = {"/", "/Volumes/", "Macintosh HD:", "Macintosh HD:Volumes:", "V:", ""};
  std::mt19937 random(20070305);
  int acceptedPosix = 0;
  int acceptedHfs = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string path = starts[random() % starts.size()];
    const auto length = random() % 12;
    for (unsigned j = 0; j < length; ++j) path.push_back(alphabet[random() % alphabet.size()]);

    std::string there;
    std::string back;
    if (PosixToHfs(path, there)) {
      ++acceptedPosix;
      ASSERT_TRUE(HfsToPosix(there, back)) << path << " -> " << there;
      ASSERT_EQ(back, path) << there;
    }
    if (HfsToPosix(path, there)) {
      ++acceptedHfs;
      ASSERT_TRUE(PosixToHfs(there, back)) << path << " -> " << there;
      ASSERT_EQ(back, path) << there;
    }
  }
  EXPECT_GT(acceptedPosix, 1000);
  EXPECT_GT(acceptedHfs, 1000);
}

constexpr char kGuard = '#';

// A buffer of outSize bytes followed by guard bytes that must survive.
struct GuardedBuffer {
  explicit GuardedBuffer(std::size_t size) : size(size), bytes(size + 16, kGuard) {}
  bool GuardIntact() const {
    for (std::size_t i = size; i < bytes.size(); ++i)
      if (bytes[i] != kGuard) return false;
    return true;
  }
  std::size_t size;
  std::vector<char> bytes;
};

TEST_F(HfsPathTest, BoundedFormsFitExactlyOrRefuse) {
  const std::string posix = "/Users/a/b.indd";
  const std::string hfs = "Macintosh HD:Users:a:b.indd";
  using Bounded = bool (*)(const char*, char*, std::size_t);
  const struct {
    Bounded convert;
    std::string in;
    std::string expected;
  } directions[] = {
      {static_cast<Bounded>(PosixToHfs), posix, hfs},
      {static_cast<Bounded>(HfsToPosix), hfs, posix},
  };
  for (const auto& d : directions) {
    GuardedBuffer fits(d.expected.size() + 1);
    EXPECT_TRUE(d.convert(d.in.c_str(), fits.bytes.data(), fits.size)) << d.in;
    EXPECT_STREQ(fits.bytes.data(), d.expected.c_str());
    EXPECT_TRUE(fits.GuardIntact());

    for (std::size_t size : {d.expected.size(), std::size_t{1}}) {
      GuardedBuffer tight(size);
      EXPECT_FALSE(d.convert(d.in.c_str(), tight.bytes.data(), tight.size)) << d.in << " in " << size;
      EXPECT_EQ(tight.bytes[0], '\0');
      EXPECT_TRUE(tight.GuardIntact());
    }

    GuardedBuffer none(0);
    EXPECT_FALSE(d.convert(d.in.c_str(), none.bytes.data(), 0));
    EXPECT_TRUE(none.GuardIntact());

    GuardedBuffer untouched(64);
    EXPECT_FALSE(d.convert(nullptr, untouched.bytes.data(), untouched.size));
    EXPECT_EQ(untouched.bytes[0], kGuard);
    EXPECT_FALSE(d.convert(d.in.c_str(), nullptr, 64));

    GuardedBuffer refused(64);
    EXPECT_FALSE(d.convert("no separator", refused.bytes.data(), refused.size));
    EXPECT_EQ(refused.bytes[0], '\0');

    GuardedBuffer empty(1);
    EXPECT_TRUE(d.convert("", empty.bytes.data(), empty.size));
    EXPECT_EQ(empty.bytes[0], '\0');
  }
}

TEST_F(HfsPathTest, BoundedFormsConvertInPlace) {
  char buffer[64] = "/Users/a";
  ASSERT_TRUE(PosixToHfs(buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "Macintosh HD:Users:a");
  ASSERT_TRUE(HfsToPosix(buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "/Users/a");
}

TEST_F(HfsPathTest, LongPathsConvertUnboundedAndAreRefusedByFixedBuffers) {
  std::string posix;
  for (int i = 0; i < 2000; ++i) posix += "/folder" + std::to_string(i);
  std::string hfs;
  std::string back;
  ASSERT_TRUE(PosixToHfs(posix, hfs));
  ASSERT_TRUE(HfsToPosix(hfs, back));
  EXPECT_EQ(back, posix);

  GuardedBuffer fixed(260);
  EXPECT_FALSE(HfsToPosix(hfs.c_str(), fixed.bytes.data(), fixed.size));
  EXPECT_EQ(fixed.bytes[0], '\0');
  EXPECT_TRUE(fixed.GuardIntact());
}

}  // namespace
}  // namespace tsplatform
