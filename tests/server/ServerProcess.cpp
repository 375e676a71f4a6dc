#include "ServerProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include <gtest/gtest.h>

namespace proofd_test {

ServerProcess::~ServerProcess() {
  if (!process_ || !process_->Running()) return;
  const int code = Stop(SIGTERM);
  if (code != 0 || !Stderr().empty())
    ADD_FAILURE() << "tessaron-proofd ended with " << code << "; its standard error:\n" << Stderr();
}

bool ServerProcess::Start(const std::vector<std::string>& args, std::string& error, int descriptors) {
  std::vector<std::string> argv{tstest::Bin("tessaron-proofd")};
  if (descriptors > 0) {
    const std::string limit = std::to_string(descriptors);
    argv.insert(argv.begin(), {"/usr/bin/prlimit", "--nofile=" + limit + ":" + limit, "--"});
  }
  argv.insert(argv.end(), args.begin(), args.end());
  process_ = std::make_unique<tstest::Process>(argv);
  const std::string prefix = "listening 127.0.0.1:";
  if (!process_->Read("\n") || process_->Out().rfind(prefix, 0) != 0) {
    error = "no listening line from tessaron-proofd, got: " + process_->Out() + Stderr();
    return false;
  }
  port_ = std::atoi(process_->Out().c_str() + prefix.size());
  return port_ > 0;
}

int ServerProcess::Stop(int signal) { return process_ ? process_->Stop(signal) : -1; }

Connection::Connection(int port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  // Small writes leave as they are written rather than wait to be joined.
  const int on = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

Connection::~Connection() { close(fd_); }

bool Connection::Send(const std::string& bytes) {
  return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

void Connection::EndSending() { shutdown(fd_, SHUT_WR); }

std::string Connection::Read(std::chrono::milliseconds limit, const std::string& marker) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + limit;
  std::string text;
  char buffer[4096];
  while (marker.empty() || text.find(marker) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd pfd{fd_, POLLIN, 0};
    if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0) break;
    const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

std::string Talk(int port, const std::vector<std::pair<std::string, std::string>>& steps) {
  Connection connection(port);
  std::string received;
  for (const auto& [bytes, marker] : steps) {
    if (!connection.Send(bytes)) break;
    received += connection.Read(std::chrono::seconds(10), marker);
  }
  return received;
}

}  // namespace proofd_test
