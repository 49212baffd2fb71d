#include "family/program_facts.h"

#include "core/text.h"

namespace velmora {

ProgramFacts ProgramFactsFinder::find(const std::string& commandLine) {
  ProgramFacts facts;
  facts.file = resolveProgramFile(commandLine, lookup_);
  if (!facts.file.found) {
    // Nothing to read its icon from: its type's icon needs no look at the drive.
    facts.local = false;
    return facts;
  }
  std::string key = foldedIgnoreCase(facts.file.path);
  auto it = files_.find(key);
  if (it == files_.end()) {
    OfFile of;
    of.local = lookup_.isLocal(facts.file.path);
    of.company = lookup_.companyName(facts.file.path);
    if (signatures_) of.signature = signatures_->signatureOf(facts.file.path);
    it = files_.emplace(std::move(key), std::move(of)).first;
  }
  facts.company = it->second.company;
  facts.signature = it->second.signature;
  facts.local = it->second.local;
  return facts;
}

void ProgramFactsFinder::forget() { files_.clear(); }

void answerProgramFacts(LookupQueue<ProgramFacts>& queue, ProgramFactsFinder& finder, const std::function<void()>& tell) {
  std::optional<std::uint64_t> generation;
  while (const std::optional<LookupQueue<ProgramFacts>::Job> job = queue.take()) {
    if (generation != job->generation) finder.forget();
    generation = job->generation;
    if (queue.deliver(*job, finder.find(job->key)) && tell) tell();
  }
}

}  // namespace velmora
