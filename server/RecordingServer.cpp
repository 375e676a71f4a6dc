#include "RecordingServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "ChunkedFraming.h"
#include "ConnectionPool.h"

namespace proofd {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollSliceMs = 100;
// httplib refuses a longer header line as a bad request; to the client it is a
// head too large like any other.
constexpr size_t kMaxHeaderLineBytes = CPPHTTPLIB_HEADER_MAX_LENGTH;
// A multipart body is held until its opening delimiter line is whole: so much
// of a preamble before it at most.
constexpr size_t kMaxHeldBytes = 64 * 1024;
static_assert(kMaxHeldBytes > 2 * kMaxHeaderLineBytes, "a held body has room for any delimiter line");
constexpr const char* kSlowHead = "the request head took too long";
constexpr const char* kShed = "the server is short of connections and closed this silent one";
// Descriptors kept free of connections for the files requests open: the
// project list, an upload.
constexpr size_t kSpareDescriptors = 32;
constexpr const char* kLargeHead = "the request head is too large";

void Address(const sockaddr_storage& addr, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(addr);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    port = ntohs(in.sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(addr);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    port = ntohs(in6.sin6_port);
  }
  ip = text;
}

// The lines of a request head after the request line, up to the blank line,
// without their line ends.
std::vector<std::string> RawHeaderLines(const std::string& head) {
  std::vector<std::string> lines;
  size_t start = head.find('\n');
  while (start != std::string::npos && ++start < head.size()) {
    const size_t end = head.find('\n', start);
    std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    lines.push_back(std::move(line));
    start = end;
  }
  return lines;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The trimmed, non-empty elements of a comma-separated header value.
void AddListElements(const std::string& value, std::vector<std::string>& elements) {
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    std::string element = Trim(value.substr(start, comma - start));
    if (!element.empty()) elements.push_back(std::move(element));
    start = comma + 1;
  }
}

bool IsTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

struct BodyFraming {
  int status = 0;  // not 0: the request is refused with this status, for `problem`
  std::string problem;
  bool chunked = false;
  bool hasLength = false;
  uint64_t length = 0;
};

BodyFraming Refused(int status, std::string problem) {
  BodyFraming framing;
  framing.status = status;
  framing.problem = std::move(problem);
  return framing;
}

// How a request's body is framed, from its head as received. httplib reads a
// header name up to the colon, blanks included, and takes the first of two
// lengths; a reader in front of us may trim the name or take the other length,
// and then the two see different requests in the same bytes. So every header
// line must be a token, a colon and a value (no fold either), and the framing
// must be one length, or chunked alone.
BodyFraming FramingOf(const std::string& head) {
  std::vector<std::string> lengths;
  std::vector<std::string> codings;
  bool hasCodings = false;
  for (const std::string& line : RawHeaderLines(head)) {
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos ||
        !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsTokenChar)) {
      return Refused(400, "a request header line is malformed");
    }
    const std::string name = Lower(line.substr(0, colon));
    if (name == "content-length") {
      const size_t before = lengths.size();
      AddListElements(line.substr(colon + 1), lengths);
      if (lengths.size() == before) return Refused(400, "the request's Content-Length is not a number");
    } else if (name == "transfer-encoding") {
      hasCodings = true;
      AddListElements(Lower(line.substr(colon + 1)), codings);
    }
  }
  BodyFraming framing;
  if (hasCodings) {
    if (!lengths.empty()) return Refused(400, "the request has both a Content-Length and a Transfer-Encoding");
    for (const std::string& coding : codings) {
      if (coding != "chunked") return Refused(501, "the request's transfer coding is not supported");
    }
    if (codings.size() != 1) return Refused(400, "the request's Transfer-Encoding is not chunked once");
    framing.chunked = true;
    return framing;
  }
  for (const std::string& length : lengths) {
    uint64_t value = 0;
    const auto [end, problem] = std::from_chars(length.data(), length.data() + length.size(), value);
    if (problem == std::errc::result_out_of_range) return Refused(413, "the request body is too large");
    if (problem != std::errc() || end != length.data() + length.size()) {
      return Refused(400, "the request's Content-Length is not a number");
    }
    if (framing.hasLength && value != framing.length) {
      return Refused(400, "the request has conflicting Content-Length values");
    }
    framing.hasLength = true;
    framing.length = value;
  }
  return framing;
}

// A multipart body's opening delimiter line, with the boundary taken from
// `contentType` as httplib takes it: all after "boundary=", less surrounding
// quotes. Empty without a boundary.
std::string OpeningDelimiter(const std::string& contentType) {
  const size_t at = contentType.find("boundary=");
  if (at == std::string::npos) return std::string();
  std::string boundary = contentType.substr(at + 9);
  if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"') {
    boundary = boundary.substr(1, boundary.size() - 2);
  }
  return boundary.empty() ? std::string() : "--" + boundary + "\r\n";
}

// The socket stream httplib would use, with the copy of the request head, the
// limits on head and body, and a chunked body's framing taken off.
class CapturingStream final : public httplib::Stream {
 public:
  struct Limits {
    std::chrono::microseconds readTimeout;
    std::chrono::microseconds writeTimeout;
    uint64_t minBodyRate;  // bytes per second
  };

  CapturingStream(int sock, const std::atomic<socket_t>& listener, ConnectionRegistry::Entry& entry, Limits limits)
      : sock_(sock), listener_(listener), entry_(entry), limits_(limits) {}

  // Starts a request: its head is copied into `context` and must end within
  // `maxBytes` bytes and before `deadline`.
  void BeginHead(RequestContext* context, Clock::time_point deadline, size_t maxBytes) {
    context_ = context;
    phase_ = Phase::kHead;
    headBytes_ = 0;
    lineBytes_ = 0;
    firstLine_ = true;
    headDeadline_ = deadline;
    maxHeadBytes_ = maxBytes;
    written_ = 0;
  }

  // Called once httplib has parsed the head. A head with a malformed header
  // line, or whose body's framing could be read two ways, is refused here. A
  // chunked body's framing is taken off, so httplib, told of no length, reads
  // the data to its end.
  void BeginBody(httplib::Request& req) {
    bodyStart_ = Clock::now();
    bodyBytes_ = end_ - begin_;  // came in with the head
    framing_ = Framing::kNone;
    lead_.clear();
    held_.clear();
    leadAt_ = std::string::npos;
    const BodyFraming framing = FramingOf(context_->head);
    if (framing.status != 0) {
      Fail(framing.status, framing.problem);
      return;
    }
    if (framing.chunked) {
      framing_ = Framing::kChunked;
      chunks_ = ChunkedFraming();
      context_->chunked = true;
      req.headers.erase("Transfer-Encoding");
      req.headers.erase("Content-Length");
    } else if (framing.hasLength) {
      framing_ = Framing::kLength;
      lengthLeft_ = framing.length;
    }
    if (req.is_multipart_form_data()) lead_ = OpeningDelimiter(req.get_header_value("Content-Type"));
  }

  void EndRequest() {
    context_ = nullptr;
    phase_ = Phase::kIdle;
    entry_.SetWaiting(true);
  }
  uint64_t Written() const { return written_; }

  // Waits for the first request of a connection, at most `timeout`.
  bool WaitForFirstRequest(std::chrono::microseconds timeout) const {
    return begin_ < end_ || Wait(POLLIN, Clock::now() + timeout, Activity::kReading);
  }
  // Waits for the next request of a kept-alive connection, at most `timeout`.
  bool WaitForNextRequest(std::chrono::microseconds timeout) const {
    return begin_ < end_ || Wait(POLLIN, Clock::now() + timeout, Activity::kReading);
  }

  bool is_readable() const override {
    return begin_ < end_ || Wait(POLLIN, Clock::now() + limits_.readTimeout, Activity::kReading);
  }
  bool is_writable() const override {
    return Wait(POLLOUT, Clock::now() + limits_.writeTimeout, Activity::kWriting);
  }

  ssize_t read(char* ptr, size_t size) override {
    switch (phase_) {
      case Phase::kHead: return ReadHead(ptr, size);
      case Phase::kBody: return ReadBody(ptr, size);
      case Phase::kIdle: break;
    }
    return -1;
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (context_ && context_->resetConnection) return -1;
    // httplib writes an answer's head in one piece, before anything else of the answer.
    if (written_ == 0 && context_ && context_->beforeEachHeadByte) return WriteTrickled(ptr, size);
    return WriteSome(ptr, size);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) Address(addr, ip, port);
  }

  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) Address(addr, ip, port);
  }

  socket_t socket() const override { return sock_; }

 private:
  enum class Phase { kIdle, kHead, kBody };
  enum class Framing { kNone, kLength, kChunked };
  // What a connection waits for decides when it gives up before its deadline.
  // A read gives up as soon as the server stops, so that a stopping server
  // does not wait for slow uploads, or when the connection is shed to make
  // room. A write gives up on stop only when the client takes nothing, so that
  // an answer on its way goes out.
  enum class Activity { kReading, kWriting };

  ssize_t WriteSome(const char* ptr, size_t size) {
    if (!is_writable()) return -1;
    ssize_t sent;
    do {
      sent = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent > 0) written_ += static_cast<uint64_t>(sent);
    return sent;
  }

  ssize_t WriteTrickled(const char* ptr, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (!context_->beforeEachHeadByte() || WriteSome(ptr + i, 1) != 1) return -1;
    }
    return static_cast<ssize_t>(size);
  }

  ssize_t ReadHead(char* ptr, size_t size) {
    if (!HeadAllowed()) return -1;
    if (begin_ == end_) {
      if (!Wait(POLLIN, std::min(Clock::now() + limits_.readTimeout, headDeadline_), Activity::kReading)) {
        // A head that stalls is as late as one past its deadline.
        if (entry_.Shed()) {
          Fail(503, kShed);
        } else if (!Stopping()) {
          Fail(408, kSlowHead);
        }
        return -1;
      }
      const ssize_t got = Fill();
      if (got <= 0) return got;
    }
    // httplib reads the head a byte at a time, so the head ends exactly at
    // the blank line and never takes body bytes.
    size_t n = std::min({size, end_ - begin_, maxHeadBytes_ - headBytes_});
    if (!firstLine_) n = std::min(n, kMaxHeaderLineBytes - lineBytes_);
    std::memcpy(ptr, buffer_ + begin_, n);
    begin_ += n;
    Record(ptr, n);
    return static_cast<ssize_t>(n);
  }

  bool HeadAllowed() {
    if (context_->failure != 0) return false;
    if (headBytes_ >= maxHeadBytes_) {
      Fail(431, kLargeHead);
      return false;
    }
    // The request line may be longer: httplib answers that 414.
    if (!firstLine_ && lineBytes_ >= kMaxHeaderLineBytes) {
      Fail(431, "a request header line is longer than " + std::to_string(kMaxHeaderLineBytes) + " bytes");
      return false;
    }
    return true;
  }

  void Record(const char* ptr, size_t n) {
    headBytes_ += n;
    std::string& head = context_->head;
    head.append(ptr, n);
    for (size_t i = 0; i < n; ++i) {
      if (ptr[i] == '\n') {
        firstLine_ = false;
        lineBytes_ = 0;
      } else {
        ++lineBytes_;
      }
    }
    const size_t size = head.size();
    if ((size >= 4 && head.compare(size - 4, 4, "\r\n\r\n") == 0) ||
        (size >= 2 && head.compare(size - 2, 2, "\n\n") == 0)) {
      phase_ = Phase::kBody;
      framing_ = Framing::kNone;
      entry_.SetWaiting(false);
    }
  }

  ssize_t ReadBody(char* ptr, size_t size) {
    if (context_->failure != 0) return -1;
    if (!lead_.empty() && leadAt_ == std::string::npos) return HoldUntilTheOpeningDelimiter(ptr, size);
    if (!held_.empty()) return PassHeld(ptr, size);
    return ReadData(ptr, size);
  }

  // httplib's multipart parser throws away a first piece that holds only part
  // of the opening delimiter line ("--boundary" CRLF), and then finds the body
  // malformed; how the network or a buffer cut the body must not matter. So the
  // body is held until that line is whole and then passed on in pieces none of
  // which ends inside it. What comes before it (a preamble, which the parser
  // skips) is passed on once the hold reaches kMaxHeldBytes, all but a tail
  // that could start the line; a body that ends first is passed on as it came.
  ssize_t HoldUntilTheOpeningDelimiter(char* ptr, size_t size) {
    char piece[sizeof buffer_];
    while (held_.size() < kMaxHeldBytes) {
      const size_t from = held_.size() < lead_.size() ? 0 : held_.size() - lead_.size() + 1;
      const ssize_t got = ReadData(piece, std::min(sizeof piece, kMaxHeldBytes - held_.size()));
      if (got < 0) return -1;
      if (got == 0) {
        lead_.clear();
        return PassHeld(ptr, size);
      }
      held_.append(piece, static_cast<size_t>(got));
      leadAt_ = held_.find(lead_, from);
      if (leadAt_ != std::string::npos) return PassHeld(ptr, size);
    }
    const size_t preamble = std::min(size, held_.size() - std::min(held_.size(), lead_.size() - 1));
    std::memcpy(ptr, held_.data(), preamble);
    held_.erase(0, preamble);
    return static_cast<ssize_t>(preamble);
  }

  ssize_t PassHeld(char* ptr, size_t size) {
    size_t n = std::min(size, held_.size());
    if (leadAt_ != std::string::npos) {
      // What comes before the line goes first, alone; then the line and what follows.
      if (leadAt_ > 0 && n > leadAt_ && n < leadAt_ + lead_.size()) n = leadAt_;
      if (n > leadAt_) {
        lead_.clear();
        leadAt_ = std::string::npos;
      } else {
        leadAt_ -= n;
      }
    }
    std::memcpy(ptr, held_.data(), n);
    held_.erase(0, n);
    return static_cast<ssize_t>(n);
  }

  // The body's data, its framing taken off: 0 at its end.
  ssize_t ReadData(char* ptr, size_t size) {
    if (framing_ == Framing::kLength) {
      if (lengthLeft_ == 0) return 0;
      size = static_cast<size_t>(std::min<uint64_t>(size, lengthLeft_));
    }
    while (framing_ != Framing::kNone && !chunks_.Done()) {
      if (begin_ == end_) {
        if (!WaitForBody()) return -1;
        if (framing_ == Framing::kLength && size >= sizeof buffer_) {
          const ssize_t got = Receive(ptr, size);
          if (got > 0) lengthLeft_ -= static_cast<uint64_t>(got);
          return got;
        }
        const ssize_t got = Fill();
        // httplib would take the end of the connection for the end of the body.
        if (got == 0 && framing_ == Framing::kChunked) {
          Fail(400, "the chunked body ended before its last chunk");
          return -1;
        }
        if (got <= 0) return got;
      }
      if (framing_ == Framing::kLength || chunks_.DataLeft() > 0) {
        size_t n = std::min(size, end_ - begin_);
        if (framing_ == Framing::kChunked) {
          n = static_cast<size_t>(std::min<uint64_t>(n, chunks_.DataLeft()));
          chunks_.TookData(n);
        }
        if (framing_ == Framing::kLength) lengthLeft_ -= n;
        std::memcpy(ptr, buffer_ + begin_, n);
        begin_ += n;
        return static_cast<ssize_t>(n);
      }
      if (!chunks_.Take(buffer_[begin_++])) {
        Fail(400, chunks_.Error());
        return -1;
      }
    }
    return 0;
  }

  // A body may pause for the read timeout at most, and may fall behind the
  // minimum rate, counted from its start, by one read timeout at most: its
  // next byte is due when the bytes so far would have come at that rate, plus
  // one read timeout.
  bool WaitForBody() {
    const auto paused = Clock::now() + limits_.readTimeout;
    const auto slow = bodyStart_ + limits_.readTimeout +
                      std::chrono::microseconds(bodyBytes_ * 1000000 / limits_.minBodyRate);
    if (Wait(POLLIN, std::min(paused, slow), Activity::kReading)) return true;
    if (!Stopping()) Fail(408, slow < paused ? "the request body came too slowly" : "the request body stalled");
    return false;
  }

  void Fail(int status, const std::string& why) {
    if (context_->failure != 0) return;
    context_->failure = status;
    context_->failureText = why;
  }

  bool Stopping() const { return listener_ == INVALID_SOCKET; }

  bool Wait(short events, Clock::time_point deadline, Activity activity) const {
    while (true) {
      if (activity == Activity::kReading && (Stopping() || entry_.Shed())) return false;
      const int64_t left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd pfd{sock_, events, 0};
      const int ready = ::poll(&pfd, 1, static_cast<int>(std::clamp<int64_t>(left, 0, kPollSliceMs)));
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
      if (Stopping() || left <= 0) return false;
    }
  }

  ssize_t Fill() {
    const ssize_t got = Receive(buffer_, sizeof buffer_);
    if (got > 0) {
      begin_ = 0;
      end_ = static_cast<size_t>(got);
    }
    return got;
  }

  ssize_t Receive(char* ptr, size_t size) {
    ssize_t got;
    do {
      got = ::recv(sock_, ptr, size, 0);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
      entry_.Heard();
      if (phase_ == Phase::kBody) bodyBytes_ += static_cast<uint64_t>(got);
    }
    return got;
  }

  int sock_;
  const std::atomic<socket_t>& listener_;
  ConnectionRegistry::Entry& entry_;
  const Limits limits_;
  RequestContext* context_ = nullptr;
  Phase phase_ = Phase::kIdle;
  size_t headBytes_ = 0;
  size_t maxHeadBytes_ = 0;
  size_t lineBytes_ = 0;  // of the head's current line, its LF not counted
  bool firstLine_ = true;
  Clock::time_point headDeadline_;
  Framing framing_ = Framing::kNone;
  uint64_t lengthLeft_ = 0;  // of a body with a length, not yet passed on
  ChunkedFraming chunks_;
  std::string lead_;  // a multipart body's opening delimiter line; empty: nothing held
  std::string held_;
  size_t leadAt_ = std::string::npos;  // where lead_ starts in held_, once found
  Clock::time_point bodyStart_;
  uint64_t bodyBytes_ = 0;  // arrived, framing included
  uint64_t written_ = 0;
  char buffer_[4096];
  size_t begin_ = 0;
  size_t end_ = 0;
};

// The answer to a request the stream gave up on before httplib could answer
// it, so that the client learns why the connection ends.
void AnswerFailure(CapturingStream& stream, int status, const std::string& why) {
  const char* reason = status == 408   ? "Request Timeout"
                       : status == 413 ? "Payload Too Large"
                       : status == 431 ? "Request Header Fields Too Large"
                       : status == 501 ? "Not Implemented"
                       : status == 503 ? "Service Unavailable"
                                       : "Bad Request";
  const std::string body = "tessaron-proofd: " + why + "\n";
  const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason +
                             "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n\r\n" + body;
  stream.write(answer.data(), answer.size());
}

}  // namespace

RequestContext& CurrentRequest() {
  thread_local RequestContext context;
  return context;
}

std::vector<std::pair<std::string, std::string>> HeaderLines(const std::string& head) {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const std::string& line : RawHeaderLines(head)) {
    const size_t colon = line.find(':');
    if (colon != std::string::npos) lines.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
  }
  return lines;
}

RecordingServer::RecordingServer() = default;

bool RecordingServer::widen_backlog(int backlog) {
  // listen() again on a listening socket only changes its backlog.
  return svr_sock_ != INVALID_SOCKET && ::listen(svr_sock_, backlog) == 0;
}

void RecordingServer::stop() {
  const socket_t listener = svr_sock_.exchange(INVALID_SOCKET);
  if (listener == INVALID_SOCKET) return;
  ::shutdown(listener, SHUT_RDWR);
  ::close(listener);
}

bool RecordingServer::serve_after_bind() {
  const socket_t listener = svr_sock_;
  if (listener == INVALID_SOCKET) return true;
  // A connection gone between poll and accept must not hold the loop.
  ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
  // Connections the descriptors allow.
  size_t maxOpen = SIZE_MAX;
  rlimit descriptors{};
  if (::getrlimit(RLIMIT_NOFILE, &descriptors) == 0 && descriptors.rlim_cur != RLIM_INFINITY) {
    const size_t limit = descriptors.rlim_cur;
    maxOpen = limit > 2 * kSpareDescriptors ? limit - kSpareDescriptors : limit / 2;
  }
  bool ok = true;
  ConnectionPool pool(maxConnections_, waiting_);
  while (svr_sock_ != INVALID_SOCKET) {
    // Connections wait for a thread, or the descriptors are nearly all taken:
    // the connections silent longest make room.
    const size_t open = registry_.Open();
    registry_.Shed(waiting_ + (open >= maxOpen ? open - maxOpen + 1 : 0));
    pollfd pfd{listener, POLLIN, 0};
    if (::poll(&pfd, 1, kPollSliceMs) <= 0) continue;
    const uint64_t closings = registry_.Closings();
    const socket_t sock = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (sock == INVALID_SOCKET) {
      switch (errno) {
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
          // Out of descriptors or memory: a silent connection makes room, if
          // there is one, and the accept is tried again once a connection
          // has closed since the one that failed.
          registry_.Shed(1);
          registry_.WaitForClose(closings, std::chrono::milliseconds(kPollSliceMs));
          continue;
        // Errors of the one connection, which Linux reports from accept.
        case EINTR:
        case EAGAIN:
        case ECONNABORTED:
        case EPROTO:
        case EPERM:
        case ENETDOWN:
        case ENOPROTOOPT:
        case EHOSTDOWN:
        case ENONET:
        case EHOSTUNREACH:
        case EOPNOTSUPP:
        case ENETUNREACH:
          continue;
        default:
          break;
      }
      ok = svr_sock_ == INVALID_SOCKET;
      stop();
      break;
    }
    registry_.Opened();
    // As httplib sets them: no read or write on the socket blocks for longer.
    timeval timeout{static_cast<time_t>(read_timeout_sec_), static_cast<suseconds_t>(read_timeout_usec_)};
    ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    timeout = {static_cast<time_t>(write_timeout_sec_), static_cast<suseconds_t>(write_timeout_usec_)};
    ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    pool.enqueue([this, sock] { process_and_close_socket(sock); });
  }
  pool.shutdown();
  return ok;
}

bool RecordingServer::process_and_close_socket(socket_t sock) {
  using std::chrono::microseconds;
  using std::chrono::seconds;
  ConnectionRegistry::Entry entry(sock);
  registry_.Add(entry);
  CapturingStream stream(sock, svr_sock_, entry,
                         {seconds(read_timeout_sec_) + microseconds(read_timeout_usec_),
                          seconds(write_timeout_sec_) + microseconds(write_timeout_usec_), minBodyRate_});
  bool ok = false;
  bool first = true;
  for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
    RequestContext& context = CurrentRequest();
    context = RequestContext();
    // A new connection owes its first request within the head deadline; a
    // kept-alive one may idle for the keep-alive time and is then closed.
    if (!(first ? stream.WaitForFirstRequest(headDeadline_)
                : stream.WaitForNextRequest(seconds(keep_alive_timeout_sec_)))) {
      // A kept-alive connection just closes: its client knows to retry.
      if (first && entry.Shed()) {
        AnswerFailure(stream, 503, kShed);
      } else if (first && svr_sock_ != INVALID_SOCKET) {
        AnswerFailure(stream, 408, kSlowHead);
      }
      break;
    }
    first = false;
    stream.BeginHead(&context, Clock::now() + headDeadline_, maxHeadBytes_);
    bool closed = false;
    ok = process_request(stream, left == 1, closed, [&stream](httplib::Request& req) {
      // Answers go out uncompressed so that faults cut them at exact bytes.
      req.headers.erase("Accept-Encoding");
      stream.BeginBody(req);
    });
    const bool answered = stream.Written() > 0;
    stream.EndRequest();
    if (context.failure != 0 && !answered) AnswerFailure(stream, context.failure, context.failureText);
    if (!ok || closed || context.closeAfter || context.failure != 0) break;
  }
  registry_.Remove(entry);
  if (CurrentRequest().resetConnection) {
    const linger abort{1, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  } else {
    ::shutdown(sock, SHUT_RDWR);
  }
  ::close(sock);
  registry_.Closed();
  return ok;
}

}  // namespace proofd
