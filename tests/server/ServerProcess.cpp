#include "ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

extern char** environ;

namespace proofd_test {
namespace {

using Clock = std::chrono::steady_clock;

// Reads from `fd` onto `text` until it holds `marker` (empty: until EOF) or `limit` has passed.
std::string ReadUntil(int fd, const std::string& marker, Clock::duration limit, std::string text = std::string()) {
  const auto deadline = Clock::now() + limit;
  char buffer[4096];
  while (marker.empty() || text.find(marker) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd pfd{fd, POLLIN, 0};
    if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0) break;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

// Starts the program with stdout on a pipe, and stderr on the same pipe or, when
// `stderrPath` is given, appended to that file; reads the pipe until `marker` (empty: until
// it closes) or 30 s have passed. The process id, or -1.
pid_t Launch(const std::vector<std::string>& args, const std::string& marker, std::string& output,
             const std::string& stderrPath = std::string()) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  if (stderrPath.empty()) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  }
  const char* bin = std::getenv("TS_BIN");
  std::vector<std::string> argv{std::string(bin ? bin : TS_BIN_DIR) + "/tessaron-proofd"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (auto& arg : argv) raw.push_back(arg.data());
  raw.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (pid > 0) output = ReadUntil(pipeFds[0], marker, std::chrono::seconds(30));
  close(pipeFds[0]);
  return pid;
}

// The exit code, or -1 when the process did not exit normally within 30 s.
int WaitExit(pid_t pid) {
  int status = 0;
  for (int i = 0; waitpid(pid, &status, WNOHANG) == 0; ++i) {
    if (i == 3000) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(10 * 1000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ServerProcess::~ServerProcess() {
  if (pid_ > 0) {
    const int code = Stop(SIGTERM);
    const std::string errors = Stderr();
    if (code != 0 || !errors.empty())
      ADD_FAILURE() << "tessaron-proofd ended with " << code << "; its standard error:\n" << errors;
  }
  if (!stderrPath_.empty()) unlink(stderrPath_.c_str());
}

bool ServerProcess::Start(const std::vector<std::string>& args, std::string& error) {
  char pattern[] = "/tmp/proofd-stderr-XXXXXX";
  const int fd = mkstemp(pattern);
  if (fd < 0) {
    error = "no file for the server's standard error";
    return false;
  }
  close(fd);
  stderrPath_ = pattern;
  std::string first;
  pid_ = Launch(args, "\n", first, stderrPath_);
  const std::string prefix = "listening 127.0.0.1:";
  if (pid_ < 0 || first.rfind(prefix, 0) != 0) {
    error = "no listening line from tessaron-proofd, got: " + first + Stderr();
    return false;
  }
  port_ = std::atoi(first.c_str() + prefix.size());
  return port_ > 0;
}

int ServerProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  const int code = WaitExit(pid_);
  pid_ = -1;
  return code;
}

std::string ServerProcess::Stderr() const {
  std::ifstream in(stderrPath_, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Finished RunToExit(const std::vector<std::string>& args) {
  Finished result;
  const pid_t pid = Launch(args, "", result.output);
  if (pid > 0) result.exitCode = WaitExit(pid);
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

std::string Talk(int port, const std::vector<std::pair<std::string, std::string>>& steps) {
  const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string received;
  if (connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    for (const auto& [bytes, marker] : steps) {
      if (send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) break;
      received = ReadUntil(sock, marker, std::chrono::seconds(10), received);
    }
  }
  close(sock);
  return received;
}

}  // namespace proofd_test
