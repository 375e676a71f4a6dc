#include "Uploads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace proofd {
namespace {

constexpr size_t kMaxNameBytes = 120;
// ".pdf", ".indd", ".jpeg", with the dot; a longer tail is not an extension.
constexpr size_t kMaxExtensionBytes = 10;
constexpr size_t kBufferBytes = 1 << 20;
constexpr int kMaxCandidates = 10000;

bool Allowed(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '.' || c == '_' || c == '-';
}

}  // namespace

std::string SafeFileName(const std::string& clientName) {
  const size_t slash = clientName.find_last_of("/\\");
  std::string name = slash == std::string::npos ? clientName : clientName.substr(slash + 1);
  // "trail.pdf " is trail.pdf, not a file with the extension ".pdf_".
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7f; };
  while (!name.empty() && (blank(name.back()) || name.back() == '.')) name.pop_back();
  name.erase(0, std::find_if_not(name.begin(), name.end(), blank) - name.begin());
  for (char& c : name) {
    if (!Allowed(c)) c = '_';
  }
  const size_t firstKept = name.find_first_not_of('.');
  name = firstKept == std::string::npos ? std::string() : name.substr(firstKept);
  if (name.size() > kMaxNameBytes) {
    // The extension says what the file is: a cut takes from the stem.
    const size_t dot = name.rfind('.');
    const size_t extension = dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxExtensionBytes
                                 ? name.size() - dot
                                 : 0;
    name = name.substr(0, kMaxNameBytes - extension) + name.substr(name.size() - extension);
  }
  return name.empty() ? "upload" : name;
}

UploadFile::~UploadFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool UploadFile::Begin(const std::string& dir, std::string& error) {
  dir_ = dir;
  std::string pattern = dir + "/.upload-XXXXXX";
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) {
    error = "cannot create a file in '" + dir + "': " + std::strerror(errno);
    return false;
  }
  tempPath_ = pattern;
  ::fchmod(fd_, 0644);
  return true;
}

bool UploadFile::Flush() {
  size_t done = 0;
  while (done < buffered_) {
    const ssize_t n = ::write(fd_, buffer_.get() + done, buffered_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = std::string("writing the upload failed: ") + std::strerror(errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  buffered_ = 0;
  return true;
}

bool UploadFile::Append(const char* data, size_t size) {
  if (fd_ < 0) return false;
  // Made at the first byte and left uncleared: a connection that trickles in a
  // byte now and then holds a page of it, not all of it.
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  size_ += size;
  while (size > 0) {
    const size_t n = std::min(size, kBufferBytes - buffered_);
    std::memcpy(buffer_.get() + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
    if (buffered_ == kBufferBytes && !Flush()) return false;
  }
  return true;
}

bool UploadFile::Commit(const std::string& clientName, std::string& stored) {
  if (fd_ < 0 || !Flush()) return false;
  if (::close(fd_) != 0) {
    fd_ = -1;
    error_ = std::string("closing the upload failed: ") + std::strerror(errno);
    return false;
  }
  fd_ = -1;
  const std::string safe = SafeFileName(clientName);
  const size_t dot = safe.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0 && safe.size() - dot <= kMaxExtensionBytes;
  const std::string stem = hasExtension ? safe.substr(0, dot) : safe;
  const std::string extension = hasExtension ? safe.substr(dot) : std::string();
  for (int n = 1; n <= kMaxCandidates; ++n) {
    const std::string candidate = n == 1 ? safe : stem + "-" + std::to_string(n) + extension;
    // link() refuses an existing name, so two uploads can never claim the same one.
    if (::link(tempPath_.c_str(), (dir_ + "/" + candidate).c_str()) == 0) {
      ::unlink(tempPath_.c_str());
      tempPath_.clear();
      stored = candidate;
      return true;
    }
    if (errno != EEXIST) {
      error_ = "cannot name the upload '" + candidate + "': " + std::strerror(errno);
      return false;
    }
  }
  error_ = "no free name for the upload '" + safe + "'";
  return false;
}

}  // namespace proofd
