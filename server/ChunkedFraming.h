// The framing of a chunked request body, followed byte by byte as it arrives.
// httplib reads a chunk-size line whole before it looks at it, however long it
// grows; here every framing line is held to a small size instead: a chunk-size
// line with its extensions and line end to kMaxSizeLineBytes, the trailer
// section after the last chunk to kMaxTrailerBytes. Extensions and trailers
// are skipped. A bare LF ends a line as CRLF does.
//
// Threading: one per request, used by the thread reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace proofd {

class ChunkedFraming {
 public:
  static constexpr size_t kMaxSizeLineBytes = 64;
  static constexpr size_t kMaxTrailerBytes = 8192;

  // Bytes of chunk data due before the next framing byte.
  uint64_t DataLeft() const { return dataLeft_; }
  void TookData(uint64_t bytes);

  // Takes the next framing byte; false once the framing is broken or too
  // long, and Error() says how.
  bool Take(char c);
  // The last chunk and the trailer section have ended.
  bool Done() const { return state_ == State::kDone; }
  const std::string& Error() const { return error_; }

 private:
  enum class State { kSizeLine, kData, kDataEnd, kTrailer, kDone };

  bool EndSizeLine();
  bool Refuse(std::string error);

  State state_ = State::kSizeLine;
  std::string line_;       // the chunk-size line so far, without its LF
  size_t trailerBytes_ = 0;
  bool lineEmpty_ = true;  // the line after the data, or the trailer line, holds at most a CR so far
  uint64_t dataLeft_ = 0;
  std::string error_;
};

}  // namespace proofd
