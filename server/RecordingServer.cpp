#include "RecordingServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace proofd {
namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
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

// The socket stream httplib would use, plus the copy of the request head.
// Reads give up once the listener has closed, so a stopping server does not
// wait for slow uploads to finish.
class CapturingStream final : public httplib::Stream {
 public:
  CapturingStream(int sock, const std::atomic<socket_t>& listener,
                  std::chrono::microseconds readTimeout, std::chrono::microseconds writeTimeout)
      : sock_(sock), listener_(listener), readTimeout_(readTimeout), writeTimeout_(writeTimeout) {}

  void Capture(std::string* head) {
    head_ = head;
    capturing_ = head != nullptr;
  }

  // Waits for the next request of a kept-alive connection.
  bool WaitForRequest(std::chrono::microseconds timeout) const {
    return begin_ < end_ || Wait(POLLIN, timeout, true);
  }

  bool is_readable() const override { return begin_ < end_ || Wait(POLLIN, readTimeout_, true); }
  bool is_writable() const override { return Wait(POLLOUT, writeTimeout_, false); }

  ssize_t read(char* ptr, size_t size) override {
    if (begin_ == end_) {
      if (!is_readable()) return -1;
      if (size >= sizeof buffer_) {
        const ssize_t got = Receive(ptr, size);
        if (got > 0) Record(ptr, static_cast<size_t>(got));
        return got;
      }
      const ssize_t got = Receive(buffer_, sizeof buffer_);
      if (got <= 0) return got;
      begin_ = 0;
      end_ = static_cast<size_t>(got);
    }
    const size_t n = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_ + begin_, n);
    begin_ += n;
    Record(ptr, n);
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t sent;
    do {
      sent = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
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
  bool Wait(short events, std::chrono::microseconds timeout, bool stopOnShutdown) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
      if (stopOnShutdown && listener_ == INVALID_SOCKET) return false;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
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

  // httplib reads the head a byte at a time, so the copy stops exactly at
  // the blank line and never takes body bytes.
  void Record(const char* ptr, size_t n) {
    if (!capturing_) return;
    head_->append(ptr, n);
    const size_t size = head_->size();
    const bool ended = (size >= 4 && head_->compare(size - 4, 4, "\r\n\r\n") == 0) ||
                       (size >= 2 && head_->compare(size - 2, 2, "\n\n") == 0);
    if (ended || size >= kMaxHeadBytes) capturing_ = false;
  }

  int sock_;
  const std::atomic<socket_t>& listener_;
  std::chrono::microseconds readTimeout_;
  std::chrono::microseconds writeTimeout_;
  std::string* head_ = nullptr;
  bool capturing_ = false;
  char buffer_[4096];
  size_t begin_ = 0;
  size_t end_ = 0;
};

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

bool RecordingServer::process_and_close_socket(socket_t sock) {
  using std::chrono::microseconds;
  using std::chrono::seconds;
  CapturingStream stream(sock, svr_sock_,
                         seconds(read_timeout_sec_) + microseconds(read_timeout_usec_),
                         seconds(write_timeout_sec_) + microseconds(write_timeout_usec_));
  bool ok = false;
  for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
    if (!stream.WaitForRequest(seconds(keep_alive_timeout_sec_))) break;
    RequestContext& context = CurrentRequest();
    context = RequestContext();
    stream.Capture(&context.head);
    bool closed = false;
    // Answers go out uncompressed so that faults cut them at exact bytes.
    ok = process_request(stream, left == 1, closed,
                         [](httplib::Request& req) { req.headers.erase("Accept-Encoding"); });
    stream.Capture(nullptr);
    if (!ok || closed || context.closeAfter) break;
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

}  // namespace proofd
