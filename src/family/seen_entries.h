#pragma once
// "New since last time": which entries Velmora has seen, kept per Windows
// user (seen.xml in the user's local application data) and written when it
// closes normally. An entry listed now that was not there when it last
// closed is new; what Velmora's own changes produce is never new. The file
// is the program's own data, like config.xml: one that cannot be read is
// never written over, and then nothing is marked.
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/xml_text.h"
#include "family/change.h"
#include "family/entry.h"

namespace velmora {

// An entry as the file keeps it: its family's id, its place (the row's
// location), its name and its data; nothing else.
struct SeenEntry {
  std::string family;
  std::string location;
  std::string name;
  std::string data;
  bool operator==(const SeenEntry&) const = default;
};

// A place a family listed (a pane's location: a key, a value, a folder):
// what was not seen in a place Velmora has looked at is new; in a place it
// never looked at, nothing is.
struct SeenPlace {
  std::string family;
  std::string location;
  bool operator==(const SeenPlace&) const = default;
};

// The file's content: when Velmora last closed (UTC, "YYYY-MM-DDTHH:MM:SSZ"),
// every place it has looked at and every entry seen there by then.
struct SeenList {
  std::string closed;
  std::vector<SeenPlace> places;
  std::vector<SeenEntry> entries;
  bool operator==(const SeenList&) const = default;
};

// A list as it is written: its parts where the session keeps them. A close
// copies nothing of a thousand entries to write them.
struct SeenListView {
  std::string_view closed;
  std::vector<const SeenPlace*> places;
  std::vector<const SeenEntry*> entries;
};
SeenListView viewOf(const SeenList& list);

// The file's text: UTF-8 XML, <seen version="1" closed="..."> with one
// <place family location/> element per place and one <entry family
// location name data/> element per entry.
std::string seenXml(const SeenListView& list);
inline std::string seenXml(const SeenList& list) { return seenXml(viewOf(list)); }
// The list from the root's and the elements' attributes as a parser read
// them; nothing when they do not make one (no closing time, a place or an
// entry without one of its fields): such a file is damaged.
std::optional<SeenList> seenFromXml(const XmlFields& root, const std::vector<XmlFields>& places,
                                    const std::vector<XmlFields>& entries);

enum class SeenStatus {
  Ok,
  Missing,      // no file yet: the first run (read)
  Unreadable,   // the file is there but is no list: never written over
  WriteFailed,  // the new file could not be saved; the old one is as it was
};

// The file, the clock that stamps it and the user's way of writing a date.
class SeenFile {
 public:
  SeenFile() = default;
  SeenFile(const SeenFile&) = delete;
  SeenFile& operator=(const SeenFile&) = delete;
  virtual ~SeenFile() = default;
  // `out` is untouched unless Ok.
  [[nodiscard]] virtual SeenStatus read(SeenList& out) = 0;
  // Replaces the whole file atomically (its folder made when missing).
  [[nodiscard]] virtual SeenStatus write(const SeenListView& list) = 0;
  // Now, in UTC, as SeenList::closed has it.
  [[nodiscard]] virtual std::string now() = 0;
  // A closing time as the user's local date ("08.12.2026"); "" when it
  // does not read as one.
  [[nodiscard]] virtual std::string localDate(const std::string& utc) = 0;
};

// The session's memory. Entries match by family id exactly and by place,
// name and data ignoring case (as equalsIgnoreCase does): registry keys,
// value names and file names ignore case in Windows, and so, for practical
// purposes, do command lines, which installers and Windows' own tools
// rewrite in another case (C:\PROGRA~1, "c:\program files") without making
// anything new. An entry that differs in anything else is another entry.
class SeenEntries {
 public:
  explicit SeenEntries(SeenFile& file) : file_(file) {}
  SeenEntries(const SeenEntries&) = delete;
  SeenEntries& operator=(const SeenEntries&) = delete;

  // Reads what the last run saw. A missing file (the first run) and a
  // damaged one mark nothing; a damaged one is also never written.
  void load();
  // Whether anything can be new: the last run left a list that reads.
  [[nodiscard]] bool marking() const { return state_ == State::Loaded; }
  // The day the last run closed, as the user writes dates ("" unless marking).
  [[nodiscard]] const std::string& lastClosedDate() const { return closedDate_; }

  // Whether the entry of `row`, listed by family `family`, is new: in a
  // place the last run had looked at (the place itself, or one it is
  // under: a RunOnceEx group under RunOnceEx, a task under its folder), not
  // seen there by it and not produced by a change of this one.
  [[nodiscard]] bool isNew(const std::string& family, const Row& row) const;
  // What a listing of family `family` over `places` found: for those
  // places, the list kept at close holds these rows instead of what was
  // seen there before (also when there are none now).
  void listed(const std::string& family, const std::vector<std::string>& places, const std::vector<Row>& rows);
  // A change Velmora made: the entry it left (live or disabled) is seen,
  // the one it removed or changed away is gone.
  void changed(const Change& change);

  // Writes what was seen, stamped now; nothing is written over a damaged
  // file (Unreadable is returned).
  SeenStatus save();

 private:
  enum class State { NotLoaded, Loaded, FirstRun, Damaged };
  using Key = std::tuple<std::string, std::string, std::string, std::string>;
  // A place ignoring case, within its family.
  using PlaceKey = std::pair<std::string, std::string>;
  static Key keyOf(const SeenEntry& entry);
  static PlaceKey placeOf(const std::string& family, const std::string& location);
  // Whether one of `places` is the place of `location` or one it is under.
  static bool covered(const std::set<PlaceKey>& places, const std::string& family, const std::string& location);

  SeenFile& file_;
  State state_ = State::NotLoaded;
  std::string closedDate_;
  // What the last run had looked at and saw.
  std::vector<SeenPlace> beforePlaces_;
  std::set<PlaceKey> beforePlaceKeys_;
  std::vector<SeenEntry> before_;
  std::set<Key> beforeKeys_;
  // This run: the places listed and the latest listing of each, what its
  // changes left (live or disabled) and what they took away.
  std::vector<SeenPlace> listedPlaces_;
  std::set<PlaceKey> listedPlaceKeys_;
  std::vector<SeenEntry> listedEntries_;
  std::vector<SeenEntry> produced_;
  std::set<Key> producedKeys_;
  std::set<Key> goneKeys_;
};

}  // namespace velmora
