#pragma once
// Work handed to a worker thread, done one job at a time in the order given:
// reading the slow places, an export. Jobs wait until the queue is released
// (the window shows first: a reading started earlier would compete with its
// making), and none is taken once the queue is stopped.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace velmora {

class JobQueue {
 public:
  using Job = std::function<void()>;

  explicit JobQueue(bool held = false) : held_(held) {}
  JobQueue(const JobQueue&) = delete;
  JobQueue& operator=(const JobQueue&) = delete;

  // Dropped once the queue is stopped.
  void post(Job job) {
    const std::lock_guard lock(mutex_);
    if (stopped_) return;
    jobs_.push_back(std::move(job));
    ready_.notify_one();
  }
  void release() {
    const std::lock_guard lock(mutex_);
    held_ = false;
    ready_.notify_all();
  }
  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    jobs_.clear();
    ready_.notify_all();
  }
  // The next job, waiting for one; nothing once stopped.
  std::optional<Job> take() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return stopped_ || (!held_ && !jobs_.empty()); });
    if (stopped_) return std::nullopt;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    return job;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  bool held_;
  bool stopped_ = false;
};

}  // namespace velmora
