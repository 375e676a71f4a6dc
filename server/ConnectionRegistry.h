// The connections the server holds, with when each last heard from its client,
// so that when threads or descriptors run short the connections silent longest
// can be closed first, to make room for others. Only a connection waiting for
// a request (a new one, one idling between requests, one whose head is still
// coming) may be closed: one whose request is being read or answered is left
// to its own limits.
//
// A connection is closed by shutting down its reading side, which wakes its
// thread at once; the thread, seeing its entry shed, ends the connection and
// closes the descriptor.
//
// Threading: every member may be called from any thread. An Entry's own
// members are set by the thread serving its connection and read by others.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace proofd {

class ConnectionRegistry {
 public:
  using Clock = std::chrono::steady_clock;

  class Entry {
   public:
    explicit Entry(int sock) : sock_(sock) {}
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    // The client sent something.
    void Heard() { lastHeard_ = Now(); }
    // Whether the connection waits for a request, and so may be closed.
    void SetWaiting(bool waiting) { waiting_ = waiting; }
    // The registry closed the connection to make room.
    bool Shed() const { return shed_; }

   private:
    friend class ConnectionRegistry;
    static int64_t Now() { return Clock::now().time_since_epoch().count(); }

    const int sock_;
    std::atomic<int64_t> lastHeard_{Now()};
    std::atomic<bool> waiting_{true};
    std::atomic<bool> shed_{false};
  };

  // A connection was accepted; it counts as open until Closed.
  void Opened() { ++open_; }
  // Its descriptor is closed.
  void Closed();
  size_t Open() const { return open_; }

  // `entry` may be closed to make room from Add until Remove, which its thread
  // calls before it closes the descriptor.
  void Add(Entry& entry);
  void Remove(Entry& entry);

  // Closes waiting connections, silent longest first, until `wanted` are on
  // their way out, or none is left to close; a connection with bytes ready to
  // read is not silent. The number on their way out.
  size_t Shed(size_t wanted);

  // Connections closed so far.
  uint64_t Closings();
  // Waits until more than `closings` connections have closed, at most `timeout`.
  void WaitForClose(uint64_t closings, std::chrono::milliseconds timeout);

 private:
  std::atomic<size_t> open_{0};
  std::mutex mutex_;
  std::condition_variable closed_;
  uint64_t closings_ = 0;
  std::vector<Entry*> entries_;
  size_t leaving_ = 0;  // entries shed and not yet removed
};

}  // namespace proofd
