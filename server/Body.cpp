#include "Body.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <httplib.h>

namespace proofd {

std::shared_ptr<FileHandle> FileHandle::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open '" + path + "': " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "'" + path + "' is not a regular file";
    ::close(fd);
    return nullptr;
  }
  return std::shared_ptr<FileHandle>(new FileHandle(fd));
}

FileHandle::~FileHandle() { ::close(fd_); }

uint64_t FileHandle::Size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

void Body::AddText(std::string text) {
  Piece piece;
  piece.length = text.size();
  piece.text = std::move(text);
  size_ += piece.length;
  pieces_.push_back(std::move(piece));
}

void Body::AddFileRange(std::shared_ptr<FileHandle> file, uint64_t from, uint64_t to) {
  if (to <= from) return;
  Piece piece;
  piece.kind = Piece::Kind::kFile;
  piece.file = std::move(file);
  piece.from = from;
  piece.length = to - from;
  size_ += piece.length;
  pieces_.push_back(std::move(piece));
}

void Body::AddPadding(uint64_t bytes, char fill) {
  if (bytes == 0) return;
  Piece piece;
  piece.kind = Piece::Kind::kPadding;
  piece.length = bytes;
  piece.fill = fill;
  size_ += bytes;
  pieces_.push_back(std::move(piece));
}

ssize_t Body::Read(uint64_t offset, char* buffer, size_t length) const {
  uint64_t start = 0;
  for (const Piece& piece : pieces_) {
    if (offset >= start + piece.length) {
      start += piece.length;
      continue;
    }
    const uint64_t within = offset - start;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(length, piece.length - within));
    switch (piece.kind) {
      case Piece::Kind::kText:
        std::memcpy(buffer, piece.text.data() + within, count);
        return static_cast<ssize_t>(count);
      case Piece::Kind::kPadding:
        std::memset(buffer, piece.fill, count);
        return static_cast<ssize_t>(count);
      case Piece::Kind::kFile: {
        ssize_t got;
        do {
          got = ::pread(piece.file->fd(), buffer, count, static_cast<off_t>(piece.from + within));
        } while (got < 0 && errno == EINTR);
        return got > 0 ? got : -1;
      }
    }
  }
  return 0;
}

std::string Body::ReadAll(uint64_t limit) const {
  std::string out;
  char chunk[16384];
  while (out.size() < limit) {
    const ssize_t got = Read(out.size(), chunk, std::min<uint64_t>(sizeof chunk, limit - out.size()));
    if (got <= 0) break;
    out.append(chunk, static_cast<size_t>(got));
  }
  return out;
}

void StreamBody(httplib::Response& res, std::shared_ptr<const Body> body, uint64_t declared,
                uint64_t sent, std::function<bool()> beforeEachByte) {
  sent = std::min(sent, declared);
  if (declared == 0) {
    res.set_content(std::string(), body->ContentType());
    return;
  }
  res.set_content_provider(
      static_cast<size_t>(declared), body->ContentType(),
      [body, sent, beforeEachByte](size_t offset, size_t length, httplib::DataSink& sink) {
        if (offset >= sent) return false;
        if (beforeEachByte && !beforeEachByte()) return false;
        const size_t chunk = beforeEachByte ? 1 : 64 * 1024;
        auto buffer = std::make_unique<char[]>(chunk);
        const size_t want = static_cast<size_t>(std::min<uint64_t>({length, sent - offset, chunk}));
        const ssize_t got = body->Read(offset, buffer.get(), want);
        if (got <= 0) return false;
        return sink.write(buffer.get(), static_cast<size_t>(got));
      });
}

}  // namespace proofd
