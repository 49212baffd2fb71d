#pragma once
// What a row's program file says: where it is (or that it is missing), who
// made it and who signed it. Finding out touches the file (its attributes,
// version resource and, for the signature, every byte), which on a program
// of gigabytes or on a network drive takes seconds: the window asks a
// worker (ProgramFactsSource) and paints what is known meanwhile.
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "core/lookup_queue.h"
#include "family/file_signature.h"
#include "family/program_file.h"

namespace velmora {

struct ProgramFacts {
  ProgramFile file;
  // The version resource's CompanyName; "" when it has none or is missing.
  std::string company;
  // None when signatures are not checked or the file went meanwhile.
  std::optional<FileSignature> signature;
  // An existing file on a fixed drive of this computer: its icon may be read
  // while the list paints. Any other is shown by its type's icon, which
  // needs no look at the drive (a network drive may not answer for long).
  bool local = true;
  bool operator==(const ProgramFacts&) const = default;
};

// Looks up the facts of command lines, reading each file once however many
// command lines start it, until forget().
class ProgramFactsFinder {
 public:
  // Without `signatures` no signature is checked.
  ProgramFactsFinder(ProgramFileLookup& lookup, SignatureMemory* signatures) : lookup_(lookup), signatures_(signatures) {}
  ProgramFactsFinder(const ProgramFactsFinder&) = delete;
  ProgramFactsFinder& operator=(const ProgramFactsFinder&) = delete;

  [[nodiscard]] ProgramFacts find(const std::string& commandLine);
  // The files may have changed: the next find reads them again (a signature
  // only when its file did, SignatureMemory).
  void forget();

 private:
  struct OfFile {
    std::string company;
    std::optional<FileSignature> signature;
    bool local = true;
  };
  ProgramFileLookup& lookup_;
  SignatureMemory* signatures_;
  // By the path folded as Windows ignores its case.
  std::map<std::string, OfFile> files_;
};

// Facts as the window has them: `current` when looked up for this listing;
// otherwise what an earlier look found, shown until the new one comes.
struct KnownFacts {
  ProgramFacts facts;
  bool current = true;
};

// Where the rows of a listing learn their files' facts.
class ProgramFactsSource {
 public:
  ProgramFactsSource() = default;
  ProgramFactsSource(const ProgramFactsSource&) = delete;
  ProgramFactsSource& operator=(const ProgramFactsSource&) = delete;
  virtual ~ProgramFactsSource() = default;

  // The facts of `commandLine`'s program file. Unless current they are
  // asked for, and whoever shows the rows is told when they come; nothing
  // when nothing is known yet.
  [[nodiscard]] virtual std::optional<KnownFacts> factsOf(const std::string& commandLine) = 0;
  // How many asked for are still to come.
  [[nodiscard]] virtual std::size_t outstanding() const = 0;
  // A new listing is shown: what was asked for the one before and not yet
  // looked up is dropped, and every file is looked up again.
  virtual void restart() = 0;
};

// The facts answered by a worker thread (answerProgramFacts) through a queue.
class QueuedProgramFacts final : public ProgramFactsSource {
 public:
  [[nodiscard]] std::optional<KnownFacts> factsOf(const std::string& commandLine) override {
    auto found = queue_.answerOrAsk(commandLine);
    if (!found) return std::nullopt;
    return KnownFacts{std::move(found->answer), found->current};
  }
  [[nodiscard]] std::size_t outstanding() const override { return queue_.outstanding(); }
  void restart() override { queue_.restart(); }
  LookupQueue<ProgramFacts>& queue() { return queue_; }

 private:
  LookupQueue<ProgramFacts> queue_;
};

// The worker's loop: answers the questions of `queue` through `finder` until
// the queue is stopped, calling `tell` (from the worker's thread) when the
// window should look at the answers. The finder forgets what it read
// whenever the queue starts a new generation.
void answerProgramFacts(LookupQueue<ProgramFacts>& queue, ProgramFactsFinder& finder, const std::function<void()>& tell);

}  // namespace velmora
