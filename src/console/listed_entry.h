#pragma once
// An entry as velmorac lists it: the fields scripts read, the same in every
// format and on every machine, and the id that names the entry.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/output_formats.h"
#include "core/store.h"
#include "family/entry.h"
#include "family/families.h"

namespace velmora {

class SignatureMemory;

struct ListedEntry {
  std::string id;
  std::string family;
  std::string place;  // the real key, value or folder (a task's path)
  std::string name;
  std::string command;
  std::string type;
  bool enabled = true;
  std::vector<StatusReason> status;
  std::string publisher;
  // Who signed the program file, when its signature holds; and the
  // signature's state: "verified", "unsigned", "invalid", "unknown", or ""
  // when there is no program file to check.
  std::string signer;
  std::string signature;
  std::string program;  // the program file, environment references expanded
  std::optional<std::string> sha256;
  // The file that keeps a disabled entry's record (config.xml); none for a
  // live entry, and for what Windows or the Task Scheduler keeps switched off.
  std::optional<std::string> record;
};

// A folder that differs from user to user and machine to machine, and the
// name that stands for it in ids ("%APPDATA%").
struct FolderName {
  std::string folder;
  std::string name;
};

// A place as it reads on every machine: the first of `folders` it lies in
// (ignoring case, at a backslash) written as that folder's name.
std::string placeForId(std::string_view place, const std::vector<FolderName>& folders);

// 16 lower-case hexadecimal digits: the FNV-1a 64 hash of the family, the
// place (placeForId) and the name, each folded as Windows ignores case and
// parted by a NUL. The same entry has the same id on every run and machine,
// live or disabled; a command line is no part of it.
std::string entryId(std::string_view family, std::string_view placeForId, std::string_view name);

// Finds the file that keeps a disabled row's record: the store lists each
// kind of record once, and StoredItem::source says which file listed it.
class RecordFiles {
 public:
  // `files`: the store's files by StoredItem::source ("" where none).
  RecordFiles(DisabledEntryStore& store, std::vector<std::string> files) : store_(store), files_(std::move(files)) {}
  std::optional<std::string> fileOf(const FamilyTraits& traits, const Row& row);

 private:
  DisabledEntryStore& store_;
  std::vector<std::string> files_;
  std::map<std::string, std::vector<StoredItem>, std::less<>> listed_;
};

// What an entry's fields need beyond its row.
struct EntryFacts {
  std::vector<FolderName> folders;
  // The signature's state, as the session found it; none: "unknown".
  SignatureMemory* signatures = nullptr;
  RecordFiles* records = nullptr;
  // The SHA-256 of a file in hexadecimal; none: no hash (it reads whole files).
  std::function<std::optional<std::string>(const std::string& path)> sha256;
};

// A row of `family` (its traits) as velmorac lists it; the row as describe
// completed it.
ListedEntry listedEntry(const FamilyTraits& traits, const Row& row, EntryFacts& facts);

// Whether Microsoft signed the entry's program: one of Windows' own.
bool signedByWindows(const ListedEntry& entry);

// The fields in their order, for every format.
OutputRecord entryRecord(const ListedEntry& entry);

}  // namespace velmora
