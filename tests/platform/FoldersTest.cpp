#include "platform/Folders.h"

#include <gtest/gtest.h>

#include "EnvGuard.h"
#include "platform/Overrides.h"

namespace tsplatform {
namespace {

using testing::EnvGuard;
using Env = std::optional<std::string>;

class FoldersTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearOverrides(); }
  EnvGuard env_{"XDG_DATA_HOME", "HOME"};
};

TEST_F(FoldersTest, FollowsXdgDataHomeThenHome) {
  const struct {
    Env xdg;
    Env home;
    std::string expected;
  } cases[] = {
      {"/data/x", "/home/u", "/data/x"},
      {"/data/x/", "/home/u", "/data/x"},
      {"//data//x//", "/home/u", "/data/x"},
      {"/d", std::nullopt, "/d"},
      {"relative/x", "/home/u", "/home/u/.local/share"},
      {"", "/home/u", "/home/u/.local/share"},
      {"/", "/home/u", "/home/u/.local/share"},
      {std::nullopt, "/home/u/", "/home/u/.local/share"},
      {std::nullopt, "/", "/.local/share"},
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "", ""},
      {"relative", "relative", ""},
  };
  for (const auto& c : cases) {
    EnvGuard::Set("XDG_DATA_HOME", c.xdg);
    EnvGuard::Set("HOME", c.home);
    EXPECT_EQ(ApplicationSupportFolder(), c.expected)
        << "XDG_DATA_HOME=" << c.xdg.value_or("(unset)") << " HOME=" << c.home.value_or("(unset)");
  }
}

TEST_F(FoldersTest, OverridesReplaceOrFailTheFolder) {
  EnvGuard::Set("XDG_DATA_HOME", "/data/x");

  Overrides overrides;
  overrides.applicationSupportRoot = "/tmp/support/";
  SetOverrides(overrides);
  EXPECT_EQ(ApplicationSupportFolder(), "/tmp/support");

  overrides.applicationSupportRoot = "not/absolute";
  SetOverrides(overrides);
  EXPECT_EQ(ApplicationSupportFolder(), "");

  overrides.applicationSupportRoot = "/tmp/support";
  overrides.failApplicationSupport = true;
  SetOverrides(overrides);
  EXPECT_EQ(ApplicationSupportFolder(), "");

  ClearOverrides();
  EXPECT_EQ(ApplicationSupportFolder(), "/data/x");
}

}  // namespace
}  // namespace tsplatform
