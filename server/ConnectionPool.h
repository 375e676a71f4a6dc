// The queue of accepted connections. Each connection is served on a thread of
// its own, made when no thread is free, up to a maximum; beyond it,
// connections wait in arrival order. Threads stay for later connections and
// are joined at shutdown, after the connections still waiting have been run.
// The number of connections waiting is published, so that silent connections
// can be closed to make room for them.
//
// Threading: the accept loop calls enqueue and shutdown; the published count
// may be read from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <httplib.h>

namespace proofd {

class ConnectionPool final : public httplib::TaskQueue {
 public:
  // `waiting` must outlive the pool.
  ConnectionPool(size_t maxThreads, std::atomic<size_t>& waiting);

  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

 private:
  void Serve();
  void Publish();  // with mutex_ held

  const size_t maxThreads_;
  std::atomic<size_t>& waiting_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> queue_;
  std::vector<std::thread> threads_;
  size_t free_ = 0;  // threads not serving a connection, new ones included
  bool stopping_ = false;
};

}  // namespace proofd
