// tessaron-proofd's server: the project-list download, the PDF upload, the
// project page and the control endpoint, on 127.0.0.1, with every request
// logged and faults injected on demand. main() owns one; tests start the
// program itself.
//
// Threading: Open and Bind on one thread before Run; Run blocks the calling
// thread; Stop and the control setters may be called from any thread, and the
// handlers run on httplib's pool threads.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "FaultPlan.h"
#include "RecordingServer.h"
#include "RequestLog.h"
#include "Users.h"

namespace proofd {

class Body;

struct ServerConfig {
  std::string projectsPath;
  std::string usersPath;
  std::string uploadsDir;
  std::string logPath;                        // empty: no request log
  uint64_t maxUploadBytes = uint64_t{4} << 30;
  // Connections served at once, a thread each, made as they are needed; more
  // wait for a thread, and the connections silent longest meanwhile give way.
  size_t threads = 1024;
  // A request head must arrive whole within this, counted from its first byte
  // (a new connection's from when it is taken up), else 408.
  int64_t headTimeoutMs = 10000;
  // Longest pause while reading a body; longest wait of a kept-alive
  // connection for its next request (rounded up to seconds).
  int64_t readTimeoutMs = 5000;
  int64_t idleTimeoutMs = 5000;
  // Slowest rate a body may arrive at, in bytes per second, counted from its
  // start (its framing and what came with the head included): a body that
  // falls behind it by more than one read timeout is answered 408.
  uint64_t minBodyRate = 1024;
  // A longer request head is answered 431 and never read whole.
  size_t maxHeadBytes = 64 * 1024;
  FaultSpec fault;
};

class ProofServer {
 public:
  explicit ProofServer(ServerConfig config);

  // Reads the users, checks the project list, makes the uploads folder and
  // starts the log; false with a reason when any of it fails.
  bool Open(std::string& error);
  // Binds 127.0.0.1:`port` (0: any free port); the port bound, or -1.
  int Bind(int port, std::string& error);
  // Serves until Stop; false when the listener failed.
  bool Run();
  void Stop();

  FaultPlan& Faults() { return faults_; }
  // Switches to another project list and/or users file (null: keep); both are
  // checked before either changes.
  bool Reconfigure(const std::string* projectsPath, const std::string* usersPath,
                   std::string& error);
  std::string ProjectsPath() const;
  std::string UsersPath() const;
  uint64_t Requests() const;

 private:
  struct Reply {
    int status = 200;
    std::shared_ptr<Body> body;
    nlohmann::json extra = nlohmann::json::object();
  };

  void InstallRoutes();
  void HandleProjectList(const httplib::Request& req, httplib::Response& res);
  void HandleUpload(const httplib::Request& req, httplib::Response& res,
                    const httplib::ContentReader& reader);
  void HandleProjectPage(const httplib::Request& req, httplib::Response& res);
  void HandleUnknown(const httplib::Request& req, httplib::Response& res,
                     const httplib::ContentReader* reader);
  void HandleControlRequest(const httplib::Request& req, httplib::Response& res,
                            const httplib::ContentReader* reader);
  int RefuseEarlyUpload(const httplib::Request& req, httplib::Response& res);

  // Applies `fault` to `reply`, logs the request and puts the answer in `res`.
  void Finish(const httplib::Request& req, httplib::Response& res, Reply reply,
              const FaultSpec& fault);
  void Log(const httplib::Request& req, int status, const nlohmann::json& extra);
  std::shared_ptr<const Users> CurrentUsers() const;

  ServerConfig config_;
  RecordingServer http_;
  RequestLog log_;
  FaultPlan faults_;
  mutable std::mutex settingsMutex_;
  std::shared_ptr<const Users> users_;
  uint64_t requests_ = 0;  // guarded by settingsMutex_
};

}  // namespace proofd
