// An answer body assembled from pieces (literal text, byte ranges of a file,
// padding) and streamed to the client without ever being held whole: the
// project list may be tens of megabytes and an "oversized" fault far more.
//
// Threading: a finished Body is immutable and may be read from any thread;
// the file pieces use pread, which keeps no shared position.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace httplib {
struct Response;
}

namespace proofd {

// An open file descriptor, closed when the last owner lets go.
class FileHandle {
 public:
  static std::shared_ptr<FileHandle> Open(const std::string& path, std::string& error);
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  int fd() const { return fd_; }
  uint64_t Size() const;

 private:
  explicit FileHandle(int fd) : fd_(fd) {}
  int fd_;
};

class Body {
 public:
  explicit Body(std::string contentType) : contentType_(std::move(contentType)) {}

  void AddText(std::string text);
  void AddFileRange(std::shared_ptr<FileHandle> file, uint64_t from, uint64_t to);
  void AddPadding(uint64_t bytes, char fill);

  uint64_t Size() const { return size_; }
  const std::string& ContentType() const { return contentType_; }

  // Copies up to `length` bytes from `offset`: the count copied, 0 past the
  // end, -1 when a file cannot be read (it shrank under us, say).
  ssize_t Read(uint64_t offset, char* buffer, size_t length) const;

  // The whole body as text, for small bodies that a fault cuts up.
  std::string ReadAll(uint64_t limit) const;

 private:
  struct Piece {
    std::string text;
    std::shared_ptr<FileHandle> file;
    uint64_t from = 0;
    uint64_t length = 0;
    char fill = 0;
    enum class Kind { kText, kFile, kPadding } kind = Kind::kText;
  };
  std::string contentType_;
  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
};

// Puts `body` into `res`, declaring `declared` bytes in Content-Length and
// sending only the first `sent` of them; when `sent` < `declared` the
// connection is closed at that point, as a server that dies mid-answer would.
// With `beforeEachByte`, the body goes out one byte per call of it, and a call
// that returns false ends the answer there (the server is stopping). It runs on
// the thread that writes the answer.
void StreamBody(httplib::Response& res, std::shared_ptr<const Body> body,
                uint64_t declared, uint64_t sent,
                std::function<bool()> beforeEachByte = {});

}  // namespace proofd
