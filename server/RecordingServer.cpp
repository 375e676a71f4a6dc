#include "RecordingServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace proofd {
namespace {

constexpr int kPollSliceMs = 100;

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

// The socket stream httplib would use, plus the copy of the request head and
// its limits. Reads give up once the listener has closed, so a stopping server
// does not wait for slow uploads to finish.
class CapturingStream final : public httplib::Stream {
 public:
  using Clock = std::chrono::steady_clock;

  CapturingStream(int sock, const std::atomic<socket_t>& listener,
                  std::chrono::microseconds readTimeout, std::chrono::microseconds writeTimeout)
      : sock_(sock), listener_(listener), readTimeout_(readTimeout), writeTimeout_(writeTimeout) {}

  // Starts a request: its head is copied into `context` and must end within
  // `maxBytes` bytes and before `deadline`.
  void BeginHead(RequestContext* context, Clock::time_point deadline, size_t maxBytes) {
    context_ = context;
    inHead_ = true;
    headBytes_ = 0;
    headDeadline_ = deadline;
    maxHeadBytes_ = maxBytes;
    written_ = 0;
  }
  void EndRequest() {
    context_ = nullptr;
    inHead_ = false;
  }
  uint64_t Written() const { return written_; }

  // Waits for the next request of a connection, at most `timeout`.
  bool WaitForRequest(std::chrono::microseconds timeout) const {
    return begin_ < end_ || Wait(POLLIN, Clock::now() + timeout, true);
  }

  bool is_readable() const override {
    if (begin_ < end_) return true;
    const auto deadline = Clock::now() + readTimeout_;
    return Wait(POLLIN, inHead_ ? std::min(deadline, headDeadline_) : deadline, true);
  }
  bool is_writable() const override { return Wait(POLLOUT, Clock::now() + writeTimeout_, false); }

  ssize_t read(char* ptr, size_t size) override {
    if (inHead_ && !HeadAllowed()) return -1;
    if (begin_ == end_) {
      if (!is_readable()) {
        // A head that stalls is as late as one past its deadline.
        if (inHead_ && listener_ != INVALID_SOCKET) Fail(408);
        return -1;
      }
      if (size >= sizeof buffer_ && !inHead_) return Receive(ptr, size);
      const ssize_t got = Receive(buffer_, sizeof buffer_);
      if (got <= 0) return got;
      begin_ = 0;
      end_ = static_cast<size_t>(got);
    }
    // httplib reads the head a byte at a time, so the head ends exactly at
    // the blank line and never takes body bytes.
    const size_t n = std::min({size, end_ - begin_, inHead_ ? maxHeadBytes_ - headBytes_ : size});
    std::memcpy(ptr, buffer_ + begin_, n);
    begin_ += n;
    if (inHead_) Record(ptr, n);
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t sent;
    do {
      sent = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent > 0) written_ += static_cast<uint64_t>(sent);
    return sent;
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
  bool HeadAllowed() {
    if (context_ != nullptr && context_->headFailure != 0) return false;
    if (headBytes_ < maxHeadBytes_) return true;
    Fail(431);
    return false;
  }

  void Fail(int status) {
    if (context_ != nullptr && context_->headFailure == 0) context_->headFailure = status;
  }

  bool Wait(short events, Clock::time_point deadline, bool stopOnShutdown) const {
    while (true) {
      if (stopOnShutdown && listener_ == INVALID_SOCKET) return false;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() < 0) return false;
      pollfd pfd{sock_, events, 0};
      const int ready = ::poll(&pfd, 1, static_cast<int>(std::min<int64_t>(left.count(), kPollSliceMs)));
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
    }
  }

  ssize_t Receive(char* ptr, size_t size) {
    ssize_t got;
    do {
      got = ::recv(sock_, ptr, size, 0);
    } while (got < 0 && errno == EINTR);
    return got;
  }

  void Record(const char* ptr, size_t n) {
    headBytes_ += n;
    if (context_ == nullptr) return;
    std::string& head = context_->head;
    head.append(ptr, n);
    const size_t size = head.size();
    if ((size >= 4 && head.compare(size - 4, 4, "\r\n\r\n") == 0) ||
        (size >= 2 && head.compare(size - 2, 2, "\n\n") == 0)) {
      inHead_ = false;
    }
  }

  int sock_;
  const std::atomic<socket_t>& listener_;
  std::chrono::microseconds readTimeout_;
  std::chrono::microseconds writeTimeout_;
  RequestContext* context_ = nullptr;
  bool inHead_ = false;
  size_t headBytes_ = 0;
  size_t maxHeadBytes_ = 0;
  Clock::time_point headDeadline_;
  uint64_t written_ = 0;
  char buffer_[4096];
  size_t begin_ = 0;
  size_t end_ = 0;
};

// The answer to a head cut off before httplib could parse a request line, so
// that the client learns why the connection ends.
void AnswerCutHead(CapturingStream& stream, int status) {
  const std::string body = status == 408 ? "tessaron-proofd: the request head took too long\n"
                                         : "tessaron-proofd: the request head is too large\n";
  const std::string answer = std::string("HTTP/1.1 ") +
                             (status == 408 ? "408 Request Timeout" : "431 Request Header Fields Too Large") +
                             "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n\r\n" + body;
  stream.write(answer.data(), answer.size());
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

RequestContext& CurrentRequest() {
  thread_local RequestContext context;
  return context;
}

std::vector<std::pair<std::string, std::string>> HeaderLines(const std::string& head) {
  std::vector<std::pair<std::string, std::string>> lines;
  size_t start = head.find('\n');
  while (start != std::string::npos && start + 1 < head.size()) {
    ++start;
    size_t end = head.find('\n', start);
    std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
      lines.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
    }
    start = end;
  }
  return lines;
}

bool RecordingServer::widen_backlog(int backlog) {
  // listen() again on a listening socket only changes its backlog.
  return svr_sock_ != INVALID_SOCKET && ::listen(svr_sock_, backlog) == 0;
}

bool RecordingServer::process_and_close_socket(socket_t sock) {
  using std::chrono::microseconds;
  using std::chrono::seconds;
  CapturingStream stream(sock, svr_sock_,
                         seconds(read_timeout_sec_) + microseconds(read_timeout_usec_),
                         seconds(write_timeout_sec_) + microseconds(write_timeout_usec_));
  bool ok = false;
  bool first = true;
  for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
    RequestContext& context = CurrentRequest();
    context = RequestContext();
    // A new connection owes its first request within the head deadline; a
    // kept-alive one may idle for the keep-alive time and is then closed.
    if (!stream.WaitForRequest(first ? microseconds(headDeadline_) : microseconds(seconds(keep_alive_timeout_sec_)))) {
      if (first && svr_sock_ != INVALID_SOCKET) AnswerCutHead(stream, 408);
      break;
    }
    first = false;
    stream.BeginHead(&context, CapturingStream::Clock::now() + headDeadline_, maxHeadBytes_);
    bool closed = false;
    // Answers go out uncompressed so that faults cut them at exact bytes.
    ok = process_request(stream, left == 1, closed,
                         [](httplib::Request& req) { req.headers.erase("Accept-Encoding"); });
    const bool answered = stream.Written() > 0;
    stream.EndRequest();
    if (context.headFailure != 0 && !answered) AnswerCutHead(stream, context.headFailure);
    if (!ok || closed || context.closeAfter || context.headFailure != 0) break;
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

}  // namespace proofd
