#include "ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace proofd_test {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& args, int& outFd) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  std::vector<std::string> argv{ProofdPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (auto& arg : argv) raw.push_back(arg.data());
  raw.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  outFd = pipeFds[0];
  return pid;
}

// Reads from `fd` until `done` says so, EOF, or the deadline.
template <typename Done>
std::string ReadUntil(int fd, Clock::time_point deadline, Done done) {
  std::string text;
  char buffer[4096];
  while (!done(text)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

int WaitExit(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(10 * 1000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string ProofdPath() {
  const char* bin = std::getenv("TS_BIN");
  return std::string(bin ? bin : TS_BIN_DIR) + "/tessaron-proofd";
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) Stop(SIGKILL);
}

bool ServerProcess::Start(const std::vector<std::string>& args, std::string& error) {
  int outFd = -1;
  pid_ = Spawn(args, outFd);
  if (pid_ < 0) {
    error = "cannot start " + ProofdPath();
    return false;
  }
  const std::string first = ReadUntil(outFd, Clock::now() + std::chrono::seconds(30),
                                      [](const std::string& t) { return t.find('\n') != std::string::npos; });
  close(outFd);
  const std::string prefix = "listening 127.0.0.1:";
  if (first.rfind(prefix, 0) != 0) {
    error = "no listening line, got: " + first;
    return false;
  }
  port_ = std::atoi(first.c_str() + prefix.size());
  return port_ > 0;
}

int ServerProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  const int code = WaitExit(pid_, Clock::now() + std::chrono::seconds(30));
  pid_ = -1;
  return code;
}

Finished RunToExit(const std::vector<std::string>& args) {
  Finished result;
  int outFd = -1;
  const pid_t pid = Spawn(args, outFd);
  if (pid < 0) return result;
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  result.output = ReadUntil(outFd, deadline, [](const std::string&) { return false; });
  close(outFd);
  result.exitCode = WaitExit(pid, deadline);
  return result;
}

TempDir::TempDir() {
  char pattern[] = "/tmp/proofd-test-XXXXXX";
  if (mkdtemp(pattern) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name, const std::string& content) const {
  const std::string path = path_ + "/" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

RawConnection::RawConnection(int port) {
  sock_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(sock_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(sock_);
    sock_ = -1;
  }
}

RawConnection::~RawConnection() {
  if (sock_ >= 0) close(sock_);
}

bool RawConnection::Send(const std::string& bytes) {
  return sock_ >= 0 &&
         send(sock_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string RawConnection::Receive(const std::string& marker) {
  if (sock_ < 0) return received_;
  received_ += ReadUntil(sock_, Clock::now() + std::chrono::seconds(10), [&](const std::string& more) {
    return !marker.empty() && (received_ + more).find(marker) != std::string::npos;
  });
  return received_;
}

}  // namespace proofd_test
