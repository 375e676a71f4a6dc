// tessaron-proofd: the stand-in proofing server for the demo and the tests.
// It prints "listening 127.0.0.1:PORT" as its first line once connections
// are accepted, and stops cleanly on SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#include <CLI/CLI.hpp>

#include "FaultPlan.h"
#include "ProofServer.h"

int main(int argc, char** argv) {
  proofd::ServerConfig config;
  int port = 0;
  std::string faultKind = "none";

  CLI::App app{"tessaron-proofd: stand-in proofing server on 127.0.0.1"};
  app.add_option("--port", port, "TCP port; 0 picks a free one")->check(CLI::Range(0, 65535));
  app.add_option("--projects", config.projectsPath, "project list XML to serve")->required();
  app.add_option("--users", config.usersPath, "users JSON: {\"users\": [{name, password, rights}]}")
      ->required();
  app.add_option("--uploads", config.uploadsDir, "folder for uploaded files (made if missing)")
      ->required();
  app.add_option("--log", config.logPath, "request log, one JSON object per line");
  app.add_option("--max-upload", config.maxUploadBytes, "largest upload accepted, in bytes");
  app.add_option("--threads", config.threads,
                 "connections served at once, a thread each; the ones silent longest give way to waiting ones")
      ->check(CLI::Range(1, 4096));
  app.add_option("--head-timeout-ms", config.headTimeoutMs,
                 "time a request head may take from its first byte (a new connection: from its start); then 408")
      ->check(CLI::Range(1, 3600000));
  app.add_option("--read-timeout-ms", config.readTimeoutMs, "longest pause while a body is read; then 408")
      ->check(CLI::Range(1, 3600000));
  app.add_option("--min-body-rate", config.minBodyRate,
                 "slowest rate a body may arrive at, in bytes/s, counted from its start: it may fall behind this "
                 "rate by at most one read timeout; then 408")
      ->check(CLI::Range(uint64_t{1}, uint64_t{1} << 40));
  app.add_option("--idle-timeout-ms", config.idleTimeoutMs,
                 "longest wait for the next request on a kept-alive connection (whole seconds)")
      ->check(CLI::Range(1, 3600000));
  app.add_option("--max-head", config.maxHeadBytes, "largest request head, in bytes; larger ones get 431")
      ->check(CLI::Range(1024, 1 << 30));
  app.add_option("--fault", faultKind, "none, status, delay, drop, malformed, oversized, slow, slow_read, slow_head or reset")
      ->check(CLI::IsMember({"none", "status", "delay", "drop", "malformed", "oversized", "slow", "slow_read", "slow_head", "reset"}));
  app.add_option("--fault-status", config.fault.status, "status answered by --fault status");
  app.add_option("--fault-delay-ms", config.fault.delayMs, "delay before each faulty answer");
  app.add_option("--fault-count", config.fault.count, "requests the fault applies to; -1: all");
  app.add_option("--fault-path", config.fault.path, "only fault requests to this path");
  app.add_option("--fault-bytes", config.fault.bytes,
                 "oversized: body size; drop: bytes sent before closing; slow_read: upload bytes read per second; reset: body bytes read first");
  CLI11_PARSE(app, argc, argv);
  proofd::ParseFaultKind(faultKind, config.fault.kind);

  // Signals are taken by one thread with sigwait; every other thread,
  // httplib's pool included, inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  proofd::ProofServer server(std::move(config));
  std::string error;
  if (!server.Open(error)) {
    std::fprintf(stderr, "tessaron-proofd: %s\n", error.c_str());
    return 2;
  }
  const int bound = server.Bind(port, error);
  if (bound < 0) {
    std::fprintf(stderr, "tessaron-proofd: %s\n", error.c_str());
    return 2;
  }
  std::printf("listening 127.0.0.1:%d\n", bound);
  std::fflush(stdout);

  std::thread signalWaiter([&server, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
  });
  const bool served = server.Run();
  // Run also ends when the listener fails; wake the waiter so it can be joined.
  pthread_kill(signalWaiter.native_handle(), SIGTERM);
  signalWaiter.join();
  if (!served) {
    std::fprintf(stderr, "tessaron-proofd: the listener failed\n");
    return 1;
  }
  return 0;
}
