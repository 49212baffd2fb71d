#pragma once
// The window's two workers, so that nothing slow runs on its thread. One
// reads the slow places (the Task Scheduler: hundreds of tasks over RPC, or
// a service that does not answer) and runs exports, a job at a time; the
// other looks up the program files of the rows (exists, publisher,
// signature: a signature hashes the whole file, a network drive may not
// answer), the rows in view first. Two threads, so that a hung scheduler
// never keeps the cells from filling and a file of gigabytes never keeps
// the tasks from coming. Each has its own COM apartment; neither is waited
// for at close beyond a moment.
#include <functional>
#include <memory>

#include "core/job_queue.h"
#include "family/program_facts.h"
#include "platform/win32/ui_post.h"
#include "platform/win32/worker_thread.h"

namespace velmora::win32 {

class Workers {
 public:
  // On the window's thread; `ui` brings results back to it.
  explicit Workers(UiPost::Poster ui);
  // Both are told to stop; what they were doing is dropped.
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  // The slow jobs start once the window shows.
  void release() { jobs_->release(); }
  // A job for the slow places' thread, done after those given before.
  void post(JobQueue::Job job) { jobs_->post(std::move(job)); }
  // Brings a result back to the window's thread.
  [[nodiscard]] const UiPost::Poster& ui() const { return ui_; }

  ProgramFactsSource& programFacts() { return *facts_; }
  // Runs on the window's thread when answers came, once for all that came
  // before it ran.
  void onFactsArrived(std::function<void()> arrived) { *factsArrived_ = std::move(arrived); }

 private:
  UiPost::Poster ui_;
  std::shared_ptr<JobQueue> jobs_;
  std::shared_ptr<QueuedProgramFacts> facts_;
  std::shared_ptr<std::function<void()>> factsArrived_;
  std::unique_ptr<WorkerThread> slow_;
  std::unique_ptr<WorkerThread> files_;
};

}  // namespace velmora::win32
