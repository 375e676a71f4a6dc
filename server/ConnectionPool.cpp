#include "ConnectionPool.h"

namespace proofd {

ConnectionPool::ConnectionPool(size_t maxThreads, std::atomic<size_t>& waiting)
    : maxThreads_(maxThreads), waiting_(waiting) {}

void ConnectionPool::enqueue(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
    if (queue_.size() > free_ && threads_.size() < maxThreads_) {
      threads_.emplace_back([this] { Serve(); });
      ++free_;
    }
    Publish();
  }
  ready_.notify_one();
}

void ConnectionPool::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ConnectionPool::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    ready_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    std::function<void()> connection = std::move(queue_.front());
    queue_.pop_front();
    --free_;
    Publish();
    lock.unlock();
    connection();
    connection = nullptr;
    lock.lock();
    ++free_;
    Publish();
  }
}

void ConnectionPool::Publish() { waiting_ = queue_.size() > free_ ? queue_.size() - free_ : 0; }

}  // namespace proofd
