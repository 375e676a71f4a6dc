#include "platform/Browser.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <string_view>
#include <thread>

extern char** environ;

namespace tsplatform {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool IsWebUrl(std::string_view url) {
  std::size_t schemeEnd = 0;
  if (StartsWithIgnoringCase(url, "http://")) {
    schemeEnd = 7;
  } else if (StartsWithIgnoringCase(url, "https://")) {
    schemeEnd = 8;
  } else {
    return false;
  }
  if (url.size() == schemeEnd) return false;
  for (char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7f) return false;
  }
  return true;
}

// Owns the spawn attributes and file actions for the length of one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    okAttr_ = posix_spawnattr_init(&attr_) == 0;
    okActions_ = posix_spawn_file_actions_init(&actions_) == 0;
  }
  ~SpawnSetup() {
    if (okActions_) posix_spawn_file_actions_destroy(&actions_);
    if (okAttr_) posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The opener starts with no blocked signals, whatever the calling thread blocks, and
  // keeps only stderr of the host's descriptors.
  bool Prepare() {
    if (!okAttr_ || !okActions_) return false;
    sigset_t none;
    sigemptyset(&none);
    return posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
           posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK) == 0 &&
           posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
           posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) == 0;
  }

  const posix_spawnattr_t* Attr() const { return &attr_; }
  const posix_spawn_file_actions_t* Actions() const { return &actions_; }

 private:
  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
  bool okAttr_ = false;
  bool okActions_ = false;
};

}  // namespace

bool OpenInBrowser(const std::string& url) {
  if (!IsWebUrl(url)) return false;

  const char* chosen = std::getenv("TS_BROWSER");
  const std::string program = chosen && *chosen ? chosen : "xdg-open";

  SpawnSetup setup;
  if (!setup.Prepare()) return false;
  std::string arg0 = program;
  std::string arg1 = url;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), setup.Actions(), setup.Attr(), argv, environ) != 0) return false;

  // Some openers stay until the browser quits; waiting here would freeze the caller.
  try {
    std::thread([pid] {
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread the opener stays a zombie until the process ends; the page still opens.
  }
  return true;
}

}  // namespace tsplatform
