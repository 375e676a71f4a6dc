#include "ConnectionRegistry.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <utility>

namespace proofd {

void ConnectionRegistry::Closed() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    --open_;
    ++closings_;
  }
  closed_.notify_all();
}

void ConnectionRegistry::Add(Entry& entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back(&entry);
}

void ConnectionRegistry::Remove(Entry& entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.erase(std::find(entries_.begin(), entries_.end(), &entry));
  if (entry.shed_) --leaving_;
}

size_t ConnectionRegistry::Shed(size_t wanted) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (leaving_ >= wanted) return leaving_;
  std::vector<std::pair<int64_t, Entry*>> waiting;
  for (Entry* entry : entries_) {
    if (!entry->shed_ && entry->waiting_) waiting.emplace_back(entry->lastHeard_, entry);
  }
  std::sort(waiting.begin(), waiting.end());
  for (auto it = waiting.begin(); it != waiting.end() && leaving_ < wanted; ++it) {
    Entry& entry = *it->second;
    pollfd pfd{entry.sock_, POLLIN, 0};
    if (::poll(&pfd, 1, 0) > 0) continue;  // its request is there, about to be read
    // The entry's thread closes the descriptor only after Remove, which waits
    // for this lock: the descriptor is still this connection's.
    entry.shed_ = true;
    ++leaving_;
    ::shutdown(entry.sock_, SHUT_RD);
  }
  return leaving_;
}

uint64_t ConnectionRegistry::Closings() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closings_;
}

void ConnectionRegistry::WaitForClose(uint64_t closings, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  closed_.wait_for(lock, timeout, [&] { return closings_ != closings; });
}

}  // namespace proofd
