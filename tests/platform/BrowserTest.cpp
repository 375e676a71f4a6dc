#include "platform/Browser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "TestSupport.h"

namespace tsplatform {
namespace {

namespace fs = std::filesystem;

// TS_BROWSER names a script that records its argument count and arguments, one per line.
class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tstest::WriteFile(dir_ / "opener", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.t\"\nmv \"$0.t\" \"$0.out\"\n");
    fs::permissions(dir_ / "opener", fs::perms::owner_all);
    setenv("TS_BROWSER", (dir_ / "opener").c_str(), 1);
  }

  std::string WaitForRecord() const {
    for (int i = 0; i < 1000 && !fs::exists(dir_ / "opener.out"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return tstest::ReadFile(dir_ / "opener.out");
  }

  // TS_BROWSER keeps naming the removed script, so a stray call can never start a real browser.
  tstest::TempDir temp_;
  const fs::path dir_ = temp_.Path();
};

TEST_F(BrowserTest, PassesTheUrlAsOneArgumentWithoutAShell) {
  const std::string url = "http://127.0.0.1:8080/?projectid=42&x=$(touch${IFS}pwned);echo`id`|'\"*";
  ASSERT_TRUE(OpenInBrowser(url));
  EXPECT_EQ(WaitForRecord(), "1\n" + url + "\n");
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

// Nothing but a web address reaches the opener, so data never becomes an option or a local file.
TEST_F(BrowserTest, RefusesWhatIsNotAWebAddress) {
  for (const std::string url : {"", "-h", "--help", "file:///etc/passwd", "/etc/passwd", "javascript:alert(1)",
                                "ftp://host/x", "http://", "http://a b", "http://a\nb", "https://a\tb"})
    EXPECT_FALSE(OpenInBrowser(url)) << url;
  EXPECT_TRUE(OpenInBrowser("HTTPS://Example.com/"));
  EXPECT_EQ(WaitForRecord(), "1\nHTTPS://Example.com/\n");
  setenv("TS_BROWSER", (dir_ / "no-such-opener").c_str(), 1);
  EXPECT_FALSE(OpenInBrowser("http://example.com/"));
}

}  // namespace
}  // namespace tsplatform
