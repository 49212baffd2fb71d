#include "app/win32/workers.h"

#include "app/win32/program_files_win32.h"
#include "app/win32/signatures_win32.h"

namespace velmora::win32 {

Workers::Workers(UiPost::Poster ui)
    : ui_(std::move(ui)),
      jobs_(std::make_shared<JobQueue>(/*held=*/true)),
      facts_(std::make_shared<QueuedProgramFacts>()),
      factsArrived_(std::make_shared<std::function<void()>>()) {
  slow_ = std::make_unique<WorkerThread>(
      [jobs = jobs_] {
        while (std::optional<JobQueue::Job> job = jobs->take()) (*job)();
      },
      WorkerThread::Priority::Normal);
  // Everything the thread uses is its own or shared with it: it may outlive
  // the window.
  files_ = std::make_unique<WorkerThread>(
      [facts = facts_, ui = ui_, arrived = std::weak_ptr<std::function<void()>>(factsArrived_)] {
        Win32ProgramFiles lookup;
        Win32Signatures check;
        SignatureMemory signatures(check);
        ProgramFactsFinder finder(lookup, &signatures);
        answerProgramFacts(facts->queue(), finder, [&] {
          ui([facts, arrived] {
            (void)facts->queue().takeNews();
            if (const auto listener = arrived.lock(); listener && *listener) (*listener)();
          });
        });
      },
      WorkerThread::Priority::Background);
}

Workers::~Workers() {
  jobs_->stop();
  facts_->queue().stop();
  // The threads' destructors wait a moment each for them to end.
}

}  // namespace velmora::win32
