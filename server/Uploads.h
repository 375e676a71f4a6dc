// Uploaded files on their way to disk. The bytes go into a hidden temporary
// file in the uploads folder as they arrive, so even a 1 GiB upload never sits
// in memory; only a complete upload is given its final name, chosen so that a
// client-supplied name can neither leave the folder nor replace another file.
//
// Threading: one UploadFile per request; SafeFileName is a pure function.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace proofd {

// A file name made from what a client sent: the last path component without
// the blanks and control characters around it or the dots after it, with
// every byte outside [A-Za-z0-9._-] turned into "_", leading dots dropped,
// at most 120 bytes (a longer name loses the end of its stem, never its
// extension of up to 10 bytes), and "upload" when nothing is left.
std::string SafeFileName(const std::string& clientName);

class UploadFile {
 public:
  UploadFile() = default;
  ~UploadFile();  // removes the temporary file unless committed
  UploadFile(const UploadFile&) = delete;
  UploadFile& operator=(const UploadFile&) = delete;

  bool Begin(const std::string& dir, std::string& error);
  bool Append(const char* data, size_t size);
  uint64_t Size() const { return size_; }
  const std::string& Error() const { return error_; }

  // Gives the file its final name, SafeFileName(`clientName`) or, when that is
  // taken, the same with "-2", "-3", ... before the extension. `stored` gets
  // the name used.
  bool Commit(const std::string& clientName, std::string& stored);

 private:
  bool Flush();

  std::string dir_;
  std::string tempPath_;
  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  size_t buffered_ = 0;
  uint64_t size_ = 0;
  std::string error_;
};

}  // namespace proofd
