#include "platform/Browser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "EnvGuard.h"

namespace tsplatform {
namespace {

namespace fs = std::filesystem;
using testing::EnvGuard;

// Points TS_BROWSER at a script that writes its argument count and arguments, one per line.
class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tsbrowser.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    const fs::path script = dir_ / "recorder";
    std::ofstream(script) << "#!/bin/sh\n"
                             "printf '%s\\n' \"$#\" \"$@\" > '"
                          << (dir_ / "record.tmp").string() << "'\n"
                          << "mv '" << (dir_ / "record.tmp").string() << "' '" << Record().string() << "'\n";
    ASSERT_EQ(chmod(script.c_str(), 0700), 0);
    EnvGuard::Set("TS_BROWSER", script.string());
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Record() const { return dir_ / "record"; }

  std::vector<std::string> WaitForRecord() const {
    for (int i = 0; i < 1000 && !fs::exists(Record()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::string> lines;
    std::ifstream in(Record());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  EnvGuard env_{"TS_BROWSER"};
  fs::path dir_;
};

TEST_F(BrowserTest, PassesTheUrlAsOneArgumentWithoutAShell) {
  const std::string url = "http://127.0.0.1:8080/?projectid=42&x=$(touch${IFS}pwned);echo`id`|'\"*";
  ASSERT_TRUE(OpenInBrowser(url));
  const std::vector<std::string> expected = {"1", url};
  EXPECT_EQ(WaitForRecord(), expected);
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

TEST_F(BrowserTest, RefusesWhatIsNotAWebAddress) {
  for (const std::string url : {"", "-h", "--help", "file:///etc/passwd", "/etc/passwd", "javascript:alert(1)",
                                "ftp://host/x", "http://", "http://a b", "http://a\nb", "https://a\tb"}) {
    EXPECT_FALSE(OpenInBrowser(url)) << url;
  }
  EXPECT_TRUE(OpenInBrowser("HTTPS://Example.com/"));
  EXPECT_EQ(WaitForRecord().size(), 2u);
}

TEST_F(BrowserTest, MissingOpenerFails) {
  EnvGuard::Set("TS_BROWSER", (dir_ / "no-such-opener").string());
  EXPECT_FALSE(OpenInBrowser("http://example.com/"));
}

}  // namespace
}  // namespace tsplatform
