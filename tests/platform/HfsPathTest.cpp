#include "platform/HfsPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tsplatform {
namespace {

using Unbounded = bool (*)(std::string_view, std::string&);
using Bounded = bool (*)(const char*, char*, std::size_t);

TEST(HfsPathTest, ConvertsBothWaysOrRefuses) {
  const std::pair<std::string, std::string> pairs[] = {
      {"", ""}, {"/", "Macintosh HD:"}, {"/Users/a/b.indd", "Macintosh HD:Users:a:b.indd"},
      {"/Users/a/", "Macintosh HD:Users:a:"}, {"/tmp/a:b", "Macintosh HD:tmp:a/b"}, {"/x/:/y", "Macintosh HD:x:/:y"},
      {"/Volumes/Work", "Work:"}, {"/Volumes/Work/Jobs/", "Work:Jobs:"}, {"/Volumes/A:B/c:d", "A/B:c/d"},
      {"/Volumes", "Macintosh HD:Volumes"}, {"/Volumes/", "Macintosh HD:Volumes:"}, {"/Volumes/Volumes", "Volumes:"},
      {"/Users/\xC3\xBC/Caf\xC3\xA9.indd", "Macintosh HD:Users:\xC3\xBC:Caf\xC3\xA9.indd"},
      {"/a/.hidden/.../x.", "Macintosh HD:a:.hidden:...:x."}};
  for (const auto& [posix, hfs] : pairs) {
    std::string out = "stale";
    EXPECT_TRUE(PosixToHfs(posix, out) && out == hfs) << posix << " -> " << out;
    out = "stale";
    EXPECT_TRUE(HfsToPosix(hfs, out) && out == posix) << hfs << " -> " << out;
  }
  // Paths without a faithful counterpart are refused and give "".
  const std::pair<Unbounded, std::vector<std::string>> refusals[] = {
      {PosixToHfs,
       {"relative", "a/b", "./a", "//", "/a//b", "/a/b//", "/a/./b", "/a/../b", "/..", "/.", "/Volumes/..",
        "/Volumes/Macintosh HD", "/Volumes/Macintosh HD/x", "/Volumes/Work/", std::string("/a\0b", 4)}},
      {HfsToPosix,
       {"relative", ":a:b", "Macintosh HD::a", "Macintosh HD:a::b", "Macintosh HD:a::", "Work::", "Macintosh HD:..:x",
        "Macintosh HD:.", "..:x", ".:", "Macintosh HD:Volumes:Work", "Macintosh HD:Volumes:Work:x",
        std::string("Macintosh HD:a\0b", 17)}}};
  for (const auto& [convert, paths] : refusals) {
    for (const auto& path : paths) {
      std::string out = "stale";
      EXPECT_FALSE(convert(path, out)) << path;
      EXPECT_EQ(out, "") << path;
    }
  }
}

// A name composed onto a typed folder path must not land in the parent folder.
TEST(HfsPathTest, FolderMarkStripsForComposition) {
  for (const auto& [typed, stripped] : {std::pair{"Macintosh HD:Users:a:", "Macintosh HD:Users:a"},
                                        {"Macintosh HD:Users:a", "Macintosh HD:Users:a"}, {"Work:", "Work:"}, {"", ""}})
    EXPECT_EQ(StripHfsFolderMark(typed), stripped) << typed;
  std::string out;
  EXPECT_FALSE(HfsToPosix("Macintosh HD:Users:a::x.pdf", out));
  EXPECT_TRUE(HfsToPosix(StripHfsFolderMark("Macintosh HD:Users:a:") + ":x.pdf", out) && out == "/Users/a/x.pdf");
}

// Random paths over the characters that matter to the rules: whatever is accepted comes back byte for byte.
TEST(HfsPathTest, AcceptedPathsRoundTrip) {
  const std::string alphabet = "/:./:aV \xC3";
  const std::string starts[] = {"/", "/Volumes/", "Macintosh HD:", "Macintosh HD:Volumes:", "V:", ""};
  std::mt19937 random(20070305);
  const Unbounded ways[2][2] = {{PosixToHfs, HfsToPosix}, {HfsToPosix, PosixToHfs}};
  int accepted[2] = {0, 0};
  for (int i = 0; i < 40000; ++i) {
    std::string path = starts[random() % std::size(starts)];
    for (auto length = random() % 12; length > 0; --length) path.push_back(alphabet[random() % alphabet.size()]);
    const auto& [forth, back] = ways[i % 2];
    std::string there, again;
    if (!forth(path, there)) continue;
    ++accepted[i % 2];
    ASSERT_TRUE(back(there, again) && again == path) << path << " -> " << there;
  }
  EXPECT_TRUE(accepted[0] > 1000 && accepted[1] > 1000) << accepted[0] << " " << accepted[1];
}

TEST(HfsPathTest, BoundedFormsFitExactlyOrRefuseWithinTheBuffer) {
  std::string longPosix, longHfs = "Macintosh HD";
  for (int i = 0; i < 2000; ++i) longPosix += "/f" + std::to_string(i), longHfs += ":f" + std::to_string(i);
  const std::tuple<Bounded, std::string, std::string> directions[] = {
      {PosixToHfs, "/Users/a/b.indd", "Macintosh HD:Users:a:b.indd"},
      {HfsToPosix, "Macintosh HD:Users:a:b.indd", "/Users/a/b.indd"},
      {PosixToHfs, longPosix, longHfs}, {HfsToPosix, longHfs, longPosix}, {HfsToPosix, "", ""}};
  for (const auto& [convert, in, expected] : directions) {
    // The buffer is followed by guard bytes that must survive.
    for (std::size_t size :
         {expected.size() + 1, expected.size(), std::size_t{260}, std::size_t{1}, std::size_t{0}}) {
      std::vector<char> bytes(size + 16, '#');
      const bool fits = size > expected.size();
      EXPECT_EQ(convert(in.c_str(), bytes.data(), size), fits) << in.substr(0, 40) << " in " << size;
      EXPECT_EQ(std::string(bytes.data(), strnlen(bytes.data(), size)), fits ? expected : "");
      EXPECT_EQ(std::string(bytes.begin() + size, bytes.end()), std::string(16, '#'));
    }
    std::vector<char> untouched(64, '#');
    EXPECT_FALSE(convert(nullptr, untouched.data(), untouched.size()) || convert(in.c_str(), nullptr, 64));
    EXPECT_EQ(untouched[0], '#');
  }
  std::vector<char> refused(64, '#');
  EXPECT_TRUE(!PosixToHfs("no separator", refused.data(), refused.size()) && refused[0] == '\0');
  char inPlace[64] = "/Users/a";
  EXPECT_TRUE(PosixToHfs(inPlace, inPlace, sizeof inPlace) && std::string(inPlace) == "Macintosh HD:Users:a");
  EXPECT_TRUE(HfsToPosix(inPlace, inPlace, sizeof inPlace) && std::string(inPlace) == "/Users/a") << inPlace;
}

}  // namespace
}  // namespace tsplatform
