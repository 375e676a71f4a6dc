#include "RequestLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace proofd {
namespace {

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                static_cast<int>(millis));
  return text;
}

}  // namespace

RequestLog::~RequestLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RequestLog::Open(const std::string& path, std::string& error) {
  // Readable by its owner only: it records every request's query and headers.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0 && ::fchmod(fd, 0600) == 0) file_ = ::fdopen(fd, "w");
  if (file_ == nullptr && fd >= 0) ::close(fd);
  if (file_ == nullptr) {
    error = "cannot write log file '" + path + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

void RequestLog::Write(nlohmann::json line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  line["seq"] = ++seq_;
  line["time"] = UtcNow();
  const std::string text =
      line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  const bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                  std::fflush(file_) == 0;
  if (!ok && !failed_) {
    failed_ = true;
    std::fprintf(stderr, "tessaron-proofd: writing the request log failed: %s\n",
                 std::strerror(errno));
  }
}

}  // namespace proofd
