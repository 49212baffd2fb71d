#include "console/listed_entry.h"

#include <cstdint>

#include "core/text.h"
#include "family/file_signature.h"

namespace velmora {

std::string placeForId(std::string_view place, const std::vector<FolderName>& folders) {
  for (const FolderName& f : folders) {
    std::string folder = f.folder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    if (folder.empty() || place.size() < folder.size()) continue;
    if (!equalsIgnoreCase(place.substr(0, folder.size()), folder)) continue;
    if (place.size() == folder.size() || place[folder.size()] == '\\') {
      return f.name + std::string(place.substr(folder.size()));
    }
  }
  return std::string(place);
}

std::string entryId(std::string_view family, std::string_view placeForId, std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto add = [&hash](std::string_view text) {
    for (const unsigned char byte : text) {
      hash ^= byte;
      hash *= 0x100000001b3ull;
    }
  };
  add(foldedIgnoreCase(family));
  add(std::string_view("\0", 1));
  add(foldedIgnoreCase(placeForId));
  add(std::string_view("\0", 1));
  add(foldedIgnoreCase(name));
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
  return hex;
}

std::optional<std::string> RecordFiles::fileOf(const FamilyTraits& traits, const Row& row) {
  auto listed = listed_.find(traits.records.element);
  if (listed == listed_.end()) {
    std::vector<StoredItem> items;
    if (store_.list(traits.records, items) != StoreStatus::Ok) items.clear();
    listed = listed_.emplace(std::string(traits.records.element), std::move(items)).first;
  }
  for (const StoredItem& s : listed->second) {
    if (traits.sameLocation(s.item.path, row.path) && equalsIgnoreCase(s.item.valuename, row.name) &&
        equalsIgnoreCase(s.item.valuedata, row.data)) {
      if (s.source < files_.size() && !files_[s.source].empty()) return files_[s.source];
      return std::nullopt;
    }
  }
  return std::nullopt;
}

namespace {

const char* verdictToken(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::Verified: return "verified";
    case SignatureVerdict::Unsigned: return "unsigned";
    case SignatureVerdict::Invalid: return "invalid";
    // Signed but not verifiable offline: the check came to no answer, which
    // is what scripts read "unknown" as.
    case SignatureVerdict::Unverified:
    case SignatureVerdict::Unknown: break;
  }
  return "unknown";
}

bool fileMissing(const Row& row) {
  for (const StatusReason& r : row.reasons) {
    if (r.key == "_StatusFileMissing") return true;
  }
  return false;
}

}  // namespace

ListedEntry listedEntry(const FamilyTraits& traits, const Row& row, EntryFacts& facts) {
  ListedEntry e;
  e.family = std::string(traits.id);
  e.place = row.path;
  e.name = row.name;
  e.id = entryId(e.family, placeForId(row.path, facts.folders), row.name);
  e.command = shownData(row);
  e.type = row.type;
  e.enabled = row.state == RowState::Live;
  e.status = row.reasons;
  e.publisher = row.publisher;
  e.program = row.programFile;
  // The session has checked the file already when describe found it; this
  // asks its memory, not the file.
  if (!e.program.empty() && !fileMissing(row)) {
    const std::optional<FileSignature> signature =
        facts.signatures ? facts.signatures->signatureOf(e.program) : std::nullopt;
    e.signature = signature ? verdictToken(signature->verdict) : "unknown";
    if (signature && signature->verdict == SignatureVerdict::Verified) e.signer = signature->signer;
    if (facts.sha256) e.sha256 = facts.sha256(e.program);
  }
  if (row.origin == RowOrigin::Record && facts.records) e.record = facts.records->fileOf(traits, row);
  return e;
}

bool signedByWindows(const ListedEntry& e) {
  return e.signature == "verified" && signedByMicrosoft(FileSignature{SignatureVerdict::Verified, e.signer});
}

OutputRecord entryRecord(const ListedEntry& e) {
  const auto optional = [](const std::optional<std::string>& text) -> FieldValue {
    if (text) return *text;
    return nullptr;
  };
  return {{"id", e.id},
          {"family", e.family},
          {"place", e.place},
          {"name", e.name},
          {"command", e.command},
          {"type", e.type},
          {"enabled", e.enabled},
          {"status", e.status},
          {"publisher", e.publisher},
          {"signer", e.signer},
          {"signature", e.signature},
          {"program", e.program},
          {"sha256", optional(e.sha256)},
          {"record", optional(e.record)}};
}

}  // namespace velmora
