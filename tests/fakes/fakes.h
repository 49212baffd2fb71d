#pragma once
// Small fakes of the ports the families use: a translator from a map, a
// recording log sink, a list of rows, and a scripted user.
#include <deque>
#include <ostream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "history/change_commit.h"
#include "lang/language_table.h"
#include "pane/entry_list.h"
#include "family/prompt.h"
#include "family/program_file.h"

namespace velmora {
// Rows as a failed expectation shows them.
void PrintTo(const Row& row, std::ostream* out);
}  // namespace velmora

namespace velmora::testing {

// Translates from a map; a missing or empty key gives the key.
class MapTranslator : public Translator {
 public:
  std::map<std::string, std::string> texts;
  [[nodiscard]] std::string translate(std::string_view key, Escapes escapes = Escapes::Keep) const override;
};

class RecordingLog : public LogSink {
 public:
  std::vector<LogRecord> records;
  bool fail = false;
  bool write(const LogRecord& r) override {
    records.push_back(r);
    return !fail;
  }
};

// A disabled row as the families list a record of config.xml.
inline Row recordRow(std::string name, std::string type, std::string data, std::string path) {
  Row row{std::move(name), std::move(type), std::move(data), std::move(path), RowState::Disabled};
  row.origin = RowOrigin::Record;
  return row;
}

class FakeList : public EntryList {
 public:
  std::vector<Row> rows;
  int selection = -1;
  int fills = 0;
  void setRows(std::vector<Row> r) override {
    rows = std::move(r);
    selection = -1;
    ++fills;
  }
  int count() const override { return static_cast<int>(rows.size()); }
  Row row(int i) const override { return rows.at(static_cast<std::size_t>(i)); }
  int selected() const override { return selection; }
  void select(int i) override { selection = i; }
  void showState(int i, RowState s) override { rows.at(static_cast<std::size_t>(i)).state = s; }
  void setOrigin(int i, RowOrigin o) override { rows.at(static_cast<std::size_t>(i)).origin = o; }
};

// Answers questions and dialogs from scripts, and records what was shown.
class ScriptedPrompt : public UserPrompt {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> warnings;
  std::deque<bool> answers;  // confirm answers; when empty, OK
  // confirmWarning answers; when empty, Cancel (its default button).
  std::deque<bool> warningAnswers;
  struct DialogCall {
    EntryDialogKind kind;
    EntryDialogData in;
  };
  std::vector<DialogCall> dialogs;
  // Fills the dialog's result; return false for Cancel. When unset, Cancel.
  std::function<bool(EntryDialogKind, EntryDialogData&)> onDialog;
  std::vector<std::string> fileInfoPaths;

  void message(const std::string& text) override { messages.push_back(text); }
  bool confirm(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  bool confirmWarning(const std::string& text) override {
    warnings.push_back(text);
    if (warningAnswers.empty()) return false;
    const bool a = warningAnswers.front();
    warningAnswers.pop_front();
    return a;
  }
  bool entryDialog(EntryDialogKind kind, EntryDialogData& data) override {
    dialogs.push_back({kind, data});
    return onDialog ? onDialog(kind, data) : false;
  }
  void fileInformation(const std::string& path) override { fileInfoPaths.push_back(path); }
  std::vector<std::string> searches;
  void searchOnline(const std::string& term) override { searches.push_back(term); }
};

// A machine whose program files exist as listed; nothing else is asked of it.
class FilesOnly : public ProgramFileLookup {
 public:
  std::set<std::string> files;
  std::string expand(const std::string& text) override { return text; }
  bool isFile(const std::string& path) override { return files.count(path) != 0; }
  std::optional<std::string> findBareName(const std::string&) override { return std::nullopt; }
  std::string companyName(const std::string&) override { return {}; }
  bool opensByExtension(const std::string&) override { return true; }
};

}  // namespace velmora::testing
