#pragma once
// Questions the window's thread asks and a worker thread answers: what a
// program file says, looked up while the list shows its other cells. The
// window never waits: it asks, paints what is known, and is told when
// answers came. The rows asked for last are the ones in view (the list asks
// as it paints), so the newest question is answered first, and one asked
// again moves to the front. Each key is asked once per generation; a new
// generation (a new listing) drops the questions not yet taken and the
// answers known, and an answer to an older generation is dropped when it
// comes. What an older generation answered is still given, marked as not
// current, until the new answer comes: a refreshed list shows the cells it
// showed before instead of blanks, and corrects them when the files were
// looked at again.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace velmora {

template <class Answer>
class LookupQueue {
 public:
  struct Job {
    std::string key;
    std::uint64_t generation = 0;
  };
  struct Found {
    Answer answer;
    // Answered in this generation; false: an older one's, asked again.
    bool current = true;
  };

  LookupQueue() = default;
  LookupQueue(const LookupQueue&) = delete;
  LookupQueue& operator=(const LookupQueue&) = delete;

  // --- The window's thread ---------------------------------------------------
  // The answer for `key` in this generation. Without one, it is asked for
  // (again: it moves to the front), and what an older generation answered
  // is given, or nothing.
  std::optional<Found> answerOrAsk(const std::string& key) {
    const std::lock_guard lock(mutex_);
    if (const auto known = answers_.find(key); known != answers_.end()) return Found{known->second, true};
    if (stopped_) return std::nullopt;
    if (const auto waiting = waiting_.find(key); waiting != waiting_.end()) {
      order_.splice(order_.begin(), order_, waiting->second);
    } else if (!taken_.count(key)) {
      order_.push_front(key);
      waiting_.emplace(key, order_.begin());
      ready_.notify_one();
    }
    if (const auto older = older_.find(key); older != older_.end()) return Found{older->second, false};
    return std::nullopt;
  }
  // The answer for `key` in this generation, without asking.
  [[nodiscard]] std::optional<Answer> answer(const std::string& key) const {
    const std::lock_guard lock(mutex_);
    if (const auto known = answers_.find(key); known != answers_.end()) return known->second;
    return std::nullopt;
  }
  // A new listing: what was asked and not taken is dropped, what was known
  // is forgotten, and answers still on their way are dropped when they come.
  void restart() {
    const std::lock_guard lock(mutex_);
    ++generation_;
    order_.clear();
    waiting_.clear();
    taken_.clear();
    for (auto& [key, answer] : answers_) older_.insert_or_assign(key, std::move(answer));
    answers_.clear();
    news_ = false;
  }
  // How many questions of this generation have no answer yet.
  [[nodiscard]] std::size_t outstanding() const {
    const std::lock_guard lock(mutex_);
    return waiting_.size() + taken_.size();
  }
  // Whether answers came since the last call: the worker tells the window
  // once for all the answers that come before it looks.
  bool takeNews() {
    const std::lock_guard lock(mutex_);
    return std::exchange(news_, false);
  }
  // No more questions are taken; a worker waiting for one is woken and told
  // to end. Answers still delivered are dropped.
  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    ready_.notify_all();
  }

  // --- The worker's thread ---------------------------------------------------
  // The next question, waiting for one; nothing once stopped.
  std::optional<Job> take() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return stopped_ || !order_.empty(); });
    if (stopped_) return std::nullopt;
    Job job{std::move(order_.front()), generation_};
    order_.pop_front();
    waiting_.erase(job.key);
    taken_.insert(job.key);
    return job;
  }
  // Keeps the answer of a question taken. True when the window is to be
  // told now: the first answer since it last looked (takeNews). An answer of
  // an older generation, or after stop, is dropped (false).
  bool deliver(const Job& job, Answer answer) {
    const std::lock_guard lock(mutex_);
    if (stopped_ || job.generation != generation_) return false;
    taken_.erase(job.key);
    answers_.insert_or_assign(job.key, std::move(answer));
    return !std::exchange(news_, true);
  }
  [[nodiscard]] bool stopped() const {
    const std::lock_guard lock(mutex_);
    return stopped_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::uint64_t generation_ = 0;
  // Asked, not yet taken: the front is answered first.
  std::list<std::string> order_;
  std::unordered_map<std::string, std::list<std::string>::iterator> waiting_;
  // Taken by the worker, not yet answered.
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, Answer> answers_;
  // The latest answer of an older generation, by key.
  std::unordered_map<std::string, Answer> older_;
  bool news_ = false;
  bool stopped_ = false;
};

}  // namespace velmora
