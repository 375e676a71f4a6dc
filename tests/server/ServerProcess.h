// Runs the real tessaron-proofd (found through TS_BIN) for the tests: start it
// on a free loopback port and learn the port from its first line, stop it with
// a signal and collect its exit status, or run it to completion.
//
// Threading: one ServerProcess per test thread.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace proofd_test {

std::string ProofdPath();

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts the server with `args` and waits for "listening 127.0.0.1:PORT".
  bool Start(const std::vector<std::string>& args, std::string& error);
  int Port() const { return port_; }
  // Sends `signal` and waits: the exit code, or -1 when it did not exit normally.
  int Stop(int signal);

 private:
  pid_t pid_ = -1;
  int port_ = 0;
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

// A plain TCP connection to 127.0.0.1, for requests httplib's client would
// not send as they are written (header order, Expect: 100-continue).
class RawConnection {
 public:
  explicit RawConnection(int port);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Send(const std::string& bytes);
  // Everything received so far, once it holds `marker` (empty: once the peer
  // closes), or after 10 s.
  std::string Receive(const std::string& marker = std::string());

 private:
  int sock_ = -1;
  std::string received_;
};

}  // namespace proofd_test
