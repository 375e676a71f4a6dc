#include "ChunkedFraming.h"

#include <charconv>

namespace proofd {

void ChunkedFraming::TookData(uint64_t bytes) {
  dataLeft_ -= bytes;
  if (dataLeft_ == 0) state_ = State::kDataEnd;
}

bool ChunkedFraming::Take(char c) {
  switch (state_) {
    case State::kSizeLine:
      if (c == '\n') return EndSizeLine();
      if (line_.size() + 2 > kMaxSizeLineBytes) {
        return Refuse("chunk-size line longer than " + std::to_string(kMaxSizeLineBytes) + " bytes");
      }
      line_.push_back(c);
      return true;
    case State::kDataEnd:
      if (c == '\n') {
        state_ = State::kSizeLine;
        return true;
      }
      if (c == '\r' && lineEmpty_) {
        lineEmpty_ = false;
        return true;
      }
      return Refuse("chunk data longer than its size");
    case State::kTrailer:
      if (++trailerBytes_ > kMaxTrailerBytes) {
        return Refuse("trailer longer than " + std::to_string(kMaxTrailerBytes) + " bytes");
      }
      if (c == '\n') {
        if (lineEmpty_) state_ = State::kDone;
        lineEmpty_ = true;
      } else if (c != '\r') {
        lineEmpty_ = false;
      }
      return true;
    case State::kData:
    case State::kDone:
      break;
  }
  return Refuse("framing where none was due");
}

bool ChunkedFraming::EndSizeLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  uint64_t size = 0;
  const auto [digitsEnd, problem] = std::from_chars(line_.data(), line_.data() + line_.size(), size, 16);
  if (problem == std::errc::result_out_of_range) return Refuse("chunk size too large");
  const size_t rest = line_.find_first_not_of(" \t", static_cast<size_t>(digitsEnd - line_.data()));
  if (problem != std::errc() || (rest != std::string::npos && line_[rest] != ';')) {
    return Refuse("malformed chunk-size line");
  }
  line_.clear();
  lineEmpty_ = true;
  dataLeft_ = size;
  state_ = size == 0 ? State::kTrailer : State::kData;
  return true;
}

bool ChunkedFraming::Refuse(std::string error) {
  error_ = std::move(error);
  return false;
}

}  // namespace proofd
