// Runs the real tessaron-proofd for the tests: starts it on a free loopback port and learns
// the port from its first line. A server the test did not stop is stopped with SIGTERM on
// destruction, and a run that does not end cleanly, or that writes anything to its standard
// error (a sanitizer's report included), fails the test with that output.
//
// Threading: one ServerProcess, and one Connection, per test thread.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace proofd_test {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts the server with `args` and waits for "listening 127.0.0.1:PORT"; with
  // `descriptors`, the server may open no more than that many files and sockets.
  bool Start(const std::vector<std::string>& args, std::string& error, int descriptors = 0);
  int Port() const { return port_; }
  pid_t Pid() const { return process_ ? process_->Pid() : -1; }
  // Sends `signal` and waits: the exit code, or 128 + the signal that ended the server.
  int Stop(int signal);
  // What the server wrote to its standard error, all of it once it has stopped.
  std::string Stderr() const { return process_ ? process_->Err() : std::string(); }

 private:
  std::unique_ptr<tstest::Process> process_;
  int port_ = 0;
};

// One raw connection to 127.0.0.1:`port`, for requests httplib's client would not send as
// they are written (header order, Expect: 100-continue, a head that never ends, a body in small
// pieces); each Send leaves at once. Closed on destruction.
class Connection {
 public:
  explicit Connection(int port);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes);
  // Tells the server that nothing more will come.
  void EndSending();
  // What comes until the server closes, what came holds `marker` (when given) or `limit` passes.
  std::string Read(std::chrono::milliseconds limit, const std::string& marker = std::string());

 private:
  int fd_;
  bool connected_ = false;
};

// Sends each step's bytes on one connection to 127.0.0.1:`port`, then reads until what came
// back holds the step's marker (empty: until the server closes) or 10 s have passed.
// Everything received, in order.
std::string Talk(int port, const std::vector<std::pair<std::string, std::string>>& steps);

}  // namespace proofd_test
