// Columns 4 to 6 of a listing: what the program file of each row says (its
// publisher, whether it is missing, who signed it) and the statuses that
// hold where the entry is.
#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/paths.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/family_support.h"
#include "family/program_facts.h"
#include "family/file_signature.h"
#include "family/logon_facts.h"
#include "family/program_file.h"
#include "family/seen_entries.h"
#include "core/format.h"

namespace velmora {

// What the files of one listing say. In the window a worker looks them up
// (FamilyContext::programFacts) and a row is completed once its answer came;
// elsewhere (the export, the tests) they are looked up here, each file once
// per listing however many rows share it.
class FamilySupport::FileMemory {
 public:
  FileMemory(ProgramFileLookup& inner, SignatureMemory* signatures, ProgramFactsSource* worker)
      : inner_(inner), finder_(inner, signatures), worker_(worker) {}
  // Nothing while the worker has not answered.
  std::optional<KnownFacts> facts(const std::string& commandLine) {
    if (worker_) return worker_->factsOf(commandLine);
    auto it = known_.find(commandLine);
    if (it == known_.end()) it = known_.emplace(commandLine, finder_.find(commandLine)).first;
    return KnownFacts{it->second, true};
  }
  // Extensions ignore case. A registry look-up of this computer's, made
  // while listing.
  bool opens(const std::string& extension) {
    const std::string key = asciiUpper(extension);
    auto it = opens_.find(key);
    if (it == opens_.end()) it = opens_.emplace(key, inner_.opensByExtension(extension)).first;
    return it->second;
  }

 private:
  ProgramFileLookup& inner_;
  ProgramFactsFinder finder_;
  ProgramFactsSource* worker_;
  std::map<std::string, ProgramFacts> known_;
  std::map<std::string, bool> opens_;
};

namespace {

// Location, name and data of a row, folded as the comparison ignoring case
// does it. The rows of a place come together: its folded path is kept in
// `place` (the path, then its folding) and made again only for another.
std::string folded(const Row& row, std::pair<std::string, std::string>& place) {
  if (place.first != row.path || place.second.empty()) place = {row.path, foldedIgnoreCase(row.path)};
  std::string key = place.second;
  key += '\0';
  key += foldedIgnoreCase(row.name);
  key += '\0';
  key += foldedIgnoreCase(row.data);
  return key;
}

void addStatus(std::string& status, const std::string& more) {
  if (!status.empty()) status += "; ";
  status += more;
}

// A reason more in a row's status: its text for people, its key for scripts.
void addStatus(Row& row, std::string_view key, const std::string& text) {
  addStatus(row.status, text);
  row.reasons.push_back(StatusReason{std::string(key), text});
}

}  // namespace

void dropStatus(Row& row, std::string_view key) {
  const auto at = std::find_if(row.reasons.begin(), row.reasons.end(),
                               [key](const StatusReason& r) { return r.key == key; });
  if (at == row.reasons.end()) return;
  row.reasons.erase(at);
  showReasons(row);
}

bool willNotStart(const Row& row) {
  static constexpr std::string_view kNotStarting[] = {
      "_StatusFileMissing",
      "_StatusLegacy",
      "_StatusNotStartable",
      "_StatusOffInWindows",
      "_StatusNoTrigger",
      "_StatusPolicyDisableLocalMachineRun",
      "_StatusPolicyDisableLocalMachineRunOnce",
      "_StatusPolicyDisableCurrentUserRun",
      "_StatusPolicyDisableCurrentUserRunOnce",
  };
  if (row.origin == RowOrigin::Record) return false;
  return std::any_of(row.reasons.begin(), row.reasons.end(), [](const StatusReason& r) {
    return std::find(std::begin(kNotStarting), std::end(kNotStarting), r.key) != std::end(kNotStarting);
  });
}

void showReasons(Row& row) {
  row.status.clear();
  for (const StatusReason& r : row.reasons) addStatus(row.status, r.text);
}

void FamilySupport::describeRows(std::vector<Row>& rows, const std::vector<std::string>& places,
                                 const std::function<std::string(const Row&)>& commandLineOf,
                                 const std::function<std::string_view(const Row&)>& notRun) {
  // Each text is looked up once per listing: the language table reads its
  // file on every lookup.
  std::map<std::string_view, std::string> notRunTexts;
  std::string notTrustedText;
  offText_.clear();
  cameBackText_.clear();
  newText_.clear();
  SeenEntries* seen = context_.seen;
  const std::string family(traits_.id);
  if (seen) seen->listed(family, places, rows);
  if (seen && seen->marking()) newText_ = safeFormat(context_.translator.translate("_StatusNew"), {seen->lastClosedDate()});
  files_.reset();
  if (context_.programFiles) {
    files_ = std::make_shared<FileMemory>(*context_.programFiles, context_.signatures, context_.programFacts);
    fileMissingText_ = context_.translator.translate("_StatusFileMissing");
    hijackableText_ = context_.translator.translate("_StatusHijackable");
    if (context_.signatures || context_.programFacts) {
      unsignedText_ = context_.translator.translate("_SignatureNone");
      invalidText_ = context_.translator.translate("_SignatureInvalid");
      unverifiedText_ = context_.translator.translate("_SignatureUnverified");
    }
  }
  // The disabled rows by location, name and data ignoring case; a pane lists
  // its records under its own spelling of the location.
  std::unordered_set<std::string> disabled;
  std::pair<std::string, std::string> place;
  for (const Row& row : rows) {
    if (row.origin == RowOrigin::Record) disabled.insert(folded(row, place));
  }

  for (Row& row : rows) {
    row.publisher.clear();
    row.status.clear();
    row.reasons.clear();
    row.signedBy.clear();
    row.signedByMicrosoft = false;
    row.isNew = false;
    row.program.clear();
    row.programFile.clear();
    row.programLocal = false;
    if (const std::string_view key = notRun ? notRun(row) : std::string_view(); !key.empty()) {
      auto text = notRunTexts.find(key);
      if (text == notRunTexts.end()) text = notRunTexts.emplace(key, context_.translator.translate(key)).first;
      addStatus(row, key, text->second);
    }
    if (row.notTrusted) {
      if (notTrustedText.empty()) notTrustedText = context_.translator.translate("_StatusNotTrusted");
      addStatus(row, "_StatusNotTrusted", notTrustedText);
    }
    if (row.origin == RowOrigin::OffInWindows) {
      if (offText_.empty()) offText_ = context_.translator.translate("_StatusOffInWindows");
      addStatus(row, "_StatusOffInWindows", offText_);
    }
    if (row.origin != RowOrigin::Record && !disabled.empty() && disabled.count(folded(row, place)) != 0) {
      if (cameBackText_.empty()) cameBackText_ = context_.translator.translate("_StatusCameBack");
      addStatus(row, "_StatusCameBack", cameBackText_);
    }
    if (!newText_.empty() && seen->isNew(family, row)) {
      row.isNew = true;
      addStatus(row, "_StatusNew", newText_);
    }
    if (files_) row.program = commandLineOf(row);
  }
}

void FamilySupport::describe(Row& row) {
  describeProgram(row);
  // What Windows measured of the program, once it is known; again at every
  // look, as the measurement may have come meanwhile (a map's look-up).
  if (context_.logon && row.program.empty()) context_.logon->describeLogon(row, traits_.id);
}

void FamilySupport::describeProgram(Row& row) {
  // An Enable or Disable moves a row's entry without a new listing: what
  // held only where the entry was no longer does. Windows' switch was turned
  // on, or the entry left it; a record is no program that came back.
  if (row.origin != RowOrigin::OffInWindows) dropStatus(row, "_StatusOffInWindows");
  if (row.origin == RowOrigin::Record) dropStatus(row, "_StatusCameBack");
  // Nor is an entry new once Velmora itself moved or changed it.
  if (row.isNew && context_.seen && !context_.seen->isNew(std::string(traits_.id), row)) {
    row.isNew = false;
    dropStatus(row, "_StatusNew");
  }
  if (row.program.empty()) return;
  if (!files_) {
    row.program.clear();
    return;
  }
  const std::optional<KnownFacts> known = files_->facts(row.program);
  // Asked for: the row is described again once the answer came.
  if (!known) return;
  // What an earlier look put there goes; a row keeps its command line until
  // the answer for this listing came.
  row.publisher.clear();
  row.signedBy.clear();
  row.signedByMicrosoft = false;
  row.programFile.clear();
  row.programLocal = false;
  dropStatus(row, "_StatusFileMissing");
  dropStatus(row, "_StatusHijackable");
  if (known->current) row.program.clear();
  const ProgramFacts& facts = known->facts;
  if (facts.file.path.empty()) return;
  row.programFile = facts.file.path;
  row.programLocal = facts.local;
  if (facts.file.hijackable) addStatus(row, "_StatusHijackable", hijackableText_);
  if (facts.file.found) {
    row.publisher = facts.company;
    describeSignature(row, facts.signature);
  } else {
    addStatus(row, "_StatusFileMissing", fileMissingText_);
  }
}

void FamilySupport::describeSignature(Row& row, const std::optional<FileSignature>& signature) {
  if (!signature) return;  // not checked, or the file went: nothing to say
  switch (signature->verdict) {
    case SignatureVerdict::Verified: row.signedBy = signature->signer; break;
    case SignatureVerdict::Unsigned: row.signedBy = unsignedText_; break;
    case SignatureVerdict::Invalid: row.signedBy = invalidText_; break;
    case SignatureVerdict::Unverified: row.signedBy = unverifiedText_; break;
    case SignatureVerdict::Unknown: break;  // nothing known is nothing said
  }
  row.signedByMicrosoft = signedByMicrosoft(*signature);
}

bool FamilySupport::windowsOpens(const std::string& fileName) {
  const std::string extension = fileExtension(fileName);
  if (extension.empty()) return false;
  if (!files_) return true;  // nothing to ask: only the missing extension is certain
  return files_->opens(extension);
}

}  // namespace velmora
