#pragma once
// Timing for the benchmark: a millisecond clock, the median and minimum of
// repeated runs, and decorators over the ports that count and time the
// calls a fill makes, so the figures say where a refresh spends its time.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/registry_port.h"
#include "core/store.h"
#include "lang/language_table.h"
#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora::bench {

// Milliseconds from the performance counter.
double nowMs();

struct Figures {
  double median = 0;
  double min = 0;
  double max = 0;
  int runs = 0;
};

Figures summarise(std::vector<double> samples);

// Runs `once` a first time untimed (the warm-up loads DLLs and fills the
// file cache) and then `runs` times, timing each run.
Figures measure(int runs, const std::function<void()>& once);
// As measure, but `once` times itself (set-up and tear-down left out).
Figures measureTimed(int runs, const std::function<double()>& once);

// Calls and time spent in one kind of call.
struct Tally {
  long calls = 0;
  double ms = 0;
};

// Adds the scope's duration to a tally.
class Timed {
 public:
  explicit Timed(Tally& tally) : tally_(tally), start_(nowMs()) {}
  ~Timed() {
    tally_.ms += nowMs() - start_;
    ++tally_.calls;
  }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  Tally& tally_;
  double start_;
};

// Every tally the decorators keep, so one reset clears them all.
struct Tallies {
  Tally translations;
  Tally storeLists;
  Tally registryEnumerations;
  Tally registryQueries;
  Tally folderLists;
  Tally linkLoads;
  void reset() { *this = Tallies{}; }
  Tallies& operator+=(const Tallies& other);
  // Each tally divided by `runs`: the calls and time of one run.
  Tallies perRun(int runs) const;
};

class TimedTranslator : public Translator {
 public:
  TimedTranslator(const Translator& inner, Tallies& tallies) : inner_(inner), tallies_(tallies) {}
  [[nodiscard]] std::string translate(std::string_view key, Escapes escapes = Escapes::Keep) const override;

 private:
  const Translator& inner_;
  Tallies& tallies_;
};

// The language table as it could be: each key's text is kept while the
// file's size and last-write time stay the same, so an edited file still
// takes effect for every window opened after the edit. One stamp check (a
// file-attribute read) per lookup instead of reading and parsing the file.
class StampedTranslator : public Translator {
 public:
  explicit StampedTranslator(const LanguageTable& table) : table_(table) {}
  [[nodiscard]] std::string translate(std::string_view key, Escapes escapes = Escapes::Keep) const override;

 private:
  const LanguageTable& table_;
  mutable unsigned long long size_ = 0, written_ = 0;
  mutable bool stamped_ = false;
  mutable std::map<std::pair<std::string, Escapes>, std::string> known_;
};

class TimedStore : public DisabledEntryStore {
 public:
  TimedStore(DisabledEntryStore& inner, Tallies& tallies) : inner_(inner), tallies_(tallies) {}
  [[nodiscard]] StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override;
  [[nodiscard]] StoreStatus add(RecordKind kind, const DisabledItem& item) override { return inner_.add(kind, item); }
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override { return inner_.remove(kind, item); }
  [[nodiscard]] StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                     const std::string& valuedata, const std::optional<std::string>& valuetype) override {
    return inner_.update(kind, item, valuename, valuedata, valuetype);
  }

 private:
  DisabledEntryStore& inner_;
  Tallies& tallies_;
};

class TimedRegistry : public RegistryPort {
 public:
  TimedRegistry(RegistryPort& inner, Tallies& tallies) : inner_(inner), tallies_(tallies) {}
  [[nodiscard]] RegStatus enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) override;
  [[nodiscard]] RegStatus enumerateSubkeys(RootKey root, const std::string& subkey,
                                           std::vector<std::string>& out) override {
    return inner_.enumerateSubkeys(root, subkey, out);
  }
  [[nodiscard]] RegStatus queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) override;
  [[nodiscard]] RegStatus setText(RootKey root, const std::string& subkey, const std::string& name, const std::string& data,
                                  std::uint32_t type, KeyCreation creation) override {
    return inner_.setText(root, subkey, name, data, type, creation);
  }
  [[nodiscard]] RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                   const std::vector<std::uint8_t>& data, std::uint32_t type,
                                   KeyCreation creation) override {
    return inner_.setBytes(root, subkey, name, data, type, creation);
  }
  [[nodiscard]] RegStatus deleteValue(RootKey root, const std::string& subkey, const std::string& name) override {
    return inner_.deleteValue(root, subkey, name);
  }

 private:
  RegistryPort& inner_;
  Tallies& tallies_;
};

class TimedFolders : public FolderPort {
 public:
  TimedFolders(FolderPort& inner, Tallies& tallies) : inner_(inner), tallies_(tallies) {}
  [[nodiscard]] FileStatus list(const std::string& folder, std::vector<FolderEntry>& out) override;
  bool exists(const std::string& path) override { return inner_.exists(path); }
  [[nodiscard]] FileStatus removeFile(const std::string& path) override { return inner_.removeFile(path); }
  [[nodiscard]] FileStatus copyFile(const std::string& from, const std::string& to, IfExists ifExists) override {
    return inner_.copyFile(from, to, ifExists);
  }
  [[nodiscard]] FileStatus moveFile(const std::string& from, const std::string& to, IfExists ifExists) override {
    return inner_.moveFile(from, to, ifExists);
  }
  [[nodiscard]] FileStatus setVisibility(const std::string& path, Visibility visibility) override { return inner_.setVisibility(path, visibility); }
  [[nodiscard]] FileStatus makeFolder(const std::string& path) override { return inner_.makeFolder(path); }

 private:
  FolderPort& inner_;
  Tallies& tallies_;
};

class TimedLinks : public ShellLinkPort {
 public:
  TimedLinks(ShellLinkPort& inner, Tallies& tallies) : inner_(inner), tallies_(tallies) {}
  [[nodiscard]] LinkStatus resolve(const std::string& link, std::string& target) override;
  [[nodiscard]] LinkStatus arguments(const std::string& link, std::string& args) override {
    return inner_.arguments(link, args);
  }
  [[nodiscard]] LinkStatus create(const std::string& target, const std::string& link) override { return inner_.create(target, link); }
  [[nodiscard]] LinkStatus retarget(const std::string& source, const std::string& target, const std::string& link) override {
    return inner_.retarget(source, target, link);
  }

 private:
  ShellLinkPort& inner_;
  Tallies& tallies_;
};

}  // namespace velmora::bench
