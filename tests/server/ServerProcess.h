// Runs the real tessaron-proofd (found through TS_BIN) for the tests: start it
// on a free loopback port and learn the port from its first line, stop it with
// a signal and collect its exit status, or run it to completion. Its standard
// error goes to a file for the whole run, so that a sanitizer's report is kept;
// a server the test did not stop is stopped with SIGTERM on destruction, and a
// run that does not end cleanly, or reports anything, fails the test with its
// standard error.
//
// Threading: one ServerProcess per test thread.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

namespace proofd_test {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts the server with `args` and waits for "listening 127.0.0.1:PORT".
  bool Start(const std::vector<std::string>& args, std::string& error);
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // Sends `signal` and waits: the exit code, or -1 when it did not exit normally.
  int Stop(int signal);
  // What the server wrote to its standard error so far.
  std::string Stderr() const;

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string stderrPath_;
};

struct Finished {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Runs the program with `args` until it exits (at most 30 s).
Finished RunToExit(const std::vector<std::string>& args);

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

// Talks plain TCP to 127.0.0.1:`port`, for requests httplib's client would not
// send as they are written (header order, Expect: 100-continue): sends each
// step's bytes, then reads until what came back holds the step's marker (empty:
// until the server closes) or 10 s have passed. Everything received, in order.
std::string Talk(int port, const std::vector<std::pair<std::string, std::string>>& steps);

}  // namespace proofd_test
