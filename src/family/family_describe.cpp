// Columns 4 to 6 of a listing: what the program file of each row says (its
// publisher, whether it is missing, who signed it) and the statuses that
// hold where the entry is.
#include <map>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/paths.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/family_support.h"
#include "family/file_signature.h"
#include "family/program_file.h"
#include "family/seen_entries.h"
#include "core/format.h"

namespace velmora {

// A lookup that remembers each answer for one listing: a file shared by many
// rows is looked up, and its version resource read, once.
class FamilySupport::FileMemory {
 public:
  FileMemory(ProgramFileLookup& inner, SignatureMemory* signatures) : inner_(inner), signatures_(signatures) {}
  ProgramFile resolve(const std::string& commandLine) {
    auto it = resolved_.find(commandLine);
    if (it == resolved_.end()) it = resolved_.emplace(commandLine, resolveProgramFile(commandLine, inner_)).first;
    return it->second;
  }
  // Windows file names ignore case: one read per file, however it is spelt.
  // Extensions ignore case too.
  bool opens(const std::string& extension) {
    const std::string key = asciiUpper(extension);
    auto it = opens_.find(key);
    if (it == opens_.end()) it = opens_.emplace(key, inner_.opensByExtension(extension)).first;
    return it->second;
  }
  const std::string& company(const std::string& path) {
    std::u16string key = utf8ToUtf16(path);
    for (char16_t& c : key) c = upperOrdinal(c);
    auto it = companies_.find(key);
    if (it == companies_.end()) it = companies_.emplace(std::move(key), inner_.companyName(path)).first;
    return it->second;
  }
  // The session's answer (a changed file is checked again), asked once per
  // listing. Nothing without a session memory or when the file is unreadable.
  const std::optional<FileSignature>& signature(const std::string& path) {
    std::string key = foldedIgnoreCase(path);
    auto it = signaturesOf_.find(key);
    if (it == signaturesOf_.end()) {
      std::optional<FileSignature> found;
      if (signatures_) found = signatures_->signatureOf(path);
      it = signaturesOf_.emplace(std::move(key), std::move(found)).first;
    }
    return it->second;
  }

 private:
  ProgramFileLookup& inner_;
  SignatureMemory* signatures_;
  std::map<std::string, ProgramFile> resolved_;
  std::map<std::u16string, std::string> companies_;
  std::map<std::string, std::optional<FileSignature>> signaturesOf_;
  std::map<std::string, bool> opens_;
};

namespace {

// Location, name and data of a row, folded as the comparison ignoring case
// does it.
std::string folded(const Row& row) {
  return foldedIgnoreCase(row.path) + '\0' + foldedIgnoreCase(row.name) + '\0' + foldedIgnoreCase(row.data);
}

void addStatus(std::string& status, const std::string& more) {
  if (!status.empty()) status += "; ";
  status += more;
}

// Takes one "; "-joined part out of a status.
void dropStatus(std::string& status, const std::string& part) {
  if (part.empty() || status.find(part) == std::string::npos) return;
  std::string kept;
  for (std::size_t from = 0; from <= status.size();) {
    std::size_t end = status.find("; ", from);
    if (end == std::string::npos) end = status.size();
    if (const std::string_view piece(status.data() + from, end - from); piece != part) {
      addStatus(kept, std::string(piece));
    }
    from = end + 2;
  }
  status = std::move(kept);
}

}  // namespace

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
    files_ = std::make_shared<FileMemory>(*context_.programFiles, context_.signatures);
    fileMissingText_ = context_.translator.translate("_StatusFileMissing");
    if (context_.signatures) {
      unsignedText_ = context_.translator.translate("_SignatureNone");
      invalidText_ = context_.translator.translate("_SignatureInvalid");
    }
  }
  // The disabled rows by location, name and data ignoring case; a pane lists
  // its records under its own spelling of the location.
  std::unordered_set<std::string> disabled;
  for (const Row& row : rows) {
    if (row.origin == RowOrigin::Record) disabled.insert(folded(row));
  }

  for (Row& row : rows) {
    row.publisher.clear();
    row.status.clear();
    row.signedBy.clear();
    row.signedByMicrosoft = false;
    row.isNew = false;
    row.program.clear();
    row.programFile.clear();
    if (const std::string_view key = notRun ? notRun(row) : std::string_view(); !key.empty()) {
      auto text = notRunTexts.find(key);
      if (text == notRunTexts.end()) text = notRunTexts.emplace(key, context_.translator.translate(key)).first;
      addStatus(row.status, text->second);
    }
    if (row.notTrusted) {
      if (notTrustedText.empty()) notTrustedText = context_.translator.translate("_StatusNotTrusted");
      addStatus(row.status, notTrustedText);
    }
    if (row.origin == RowOrigin::OffInWindows) {
      if (offText_.empty()) offText_ = context_.translator.translate("_StatusOffInWindows");
      addStatus(row.status, offText_);
    }
    if (row.origin != RowOrigin::Record && !disabled.empty() && disabled.count(folded(row)) != 0) {
      if (cameBackText_.empty()) cameBackText_ = context_.translator.translate("_StatusCameBack");
      addStatus(row.status, cameBackText_);
    }
    if (!newText_.empty() && seen->isNew(family, row)) {
      row.isNew = true;
      addStatus(row.status, newText_);
    }
    if (files_) row.program = commandLineOf(row);
  }
}

void FamilySupport::describe(Row& row) {
  // An Enable or Disable moves a row's entry without a new listing: what
  // held only where the entry was no longer does. Windows' switch was turned
  // on, or the entry left it; a record is no program that came back.
  if (row.origin != RowOrigin::OffInWindows) dropStatus(row.status, offText_);
  if (row.origin == RowOrigin::Record) dropStatus(row.status, cameBackText_);
  // Nor is an entry new once Velmora itself moved or changed it.
  if (row.isNew && context_.seen && !context_.seen->isNew(std::string(traits_.id), row)) {
    row.isNew = false;
    dropStatus(row.status, newText_);
  }
  if (row.program.empty()) return;
  const std::string commandLine = std::move(row.program);
  row.program.clear();
  if (!files_) return;
  const ProgramFile file = files_->resolve(commandLine);
  if (file.path.empty()) return;
  row.programFile = file.path;
  if (file.found) {
    row.publisher = files_->company(file.path);
    describeSignature(row, file.path);
  } else {
    addStatus(row.status, fileMissingText_);
  }
}

void FamilySupport::describeSignature(Row& row, const std::string& path) {
  const std::optional<FileSignature>& signature = files_->signature(path);
  if (!signature) return;  // no session memory, or the file went: nothing to say
  switch (signature->verdict) {
    case SignatureVerdict::Verified: row.signedBy = signature->signer; break;
    case SignatureVerdict::Unsigned: row.signedBy = unsignedText_; break;
    case SignatureVerdict::Invalid: row.signedBy = invalidText_; break;
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
