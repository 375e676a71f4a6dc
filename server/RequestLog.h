// The request log: one JSON object per line, written and flushed before the
// answer leaves, so a test that has its answer can read the line at once.
// A line holds:
//   seq      1, 2, ... in the order lines were written
//   time     UTC, ISO 8601 with milliseconds
//   method, path (decoded), target (the raw request target)
//   query    [[key, value], ...] decoded, in arrival order
// The value of a "password" pair (the key decoded, cut at an "=" inside it and
// trimmed of blanks and controls, in any case) is written as "***" in target,
// query and header values, and so is the whole value of a header that carries
// credentials: any whose name holds "authorization", "cookie" or "password"
// (see Query.h). The file is created readable by its owner only.
//   headers  [[name, value], ...] as received, in arrival order
//   status   the status answered
//   fault    the injected fault: none, status, delay, drop, malformed, oversized
//   parts    uploads only: [{name, filename, content_type, size, stored}, ...]
//            where stored is the file name under the uploads folder, or ""
//   verdict  requests that carried credentials: 1, 0 or -1
//   error    present when the server refused or failed the request, and why
// Bytes that are not UTF-8 are written as U+FFFD.
//
// Threading: Write may be called from any thread; lines never interleave.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace proofd {

class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Starts an empty log at `path`; false with a reason when it cannot.
  bool Open(const std::string& path, std::string& error);

  // Adds seq and time to `line` and writes it; without an open log, nothing.
  void Write(nlohmann::json line);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  uint64_t seq_ = 0;
  bool failed_ = false;
};

}  // namespace proofd
