// Every language file that ships, read from the source tree: complete
// against the English file, with the same placeholders and line-break
// escapes, and with mnemonics that never shadow each other (Alt+letter on a
// menu title must open the menu, not press a pane button).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "lang/profile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = VELMORA_SOURCE_DIR;

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The English file and every file in dist/languages.
std::vector<fs::path> shippedFiles() {
  std::vector<fs::path> files{kSource / "dist" / "velmora.language"};
  const fs::path more = kSource / "dist" / "languages";
  if (fs::is_directory(more)) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(more)) {
      if (e.path().extension() == ".language") found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

std::string textOf(const fs::path& p) { return decodeProfileText(readBytes(p), decodeWindows1252); }

// The keys of the [String] section, in file order.
std::vector<std::string> keysOf(const std::string& text) {
  std::vector<std::string> keys;
  std::istringstream in(text);
  std::string line;
  bool inStrings = false;
  auto trim = [](std::string s) {
    s.erase(0, s.find_first_not_of(" \t\r"));
    s.erase(s.find_last_not_of(" \t\r") + 1);
    return s;
  };
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inStrings = line == "[String]";
      continue;
    }
    const auto eq = line.find('=');
    if (inStrings && eq != std::string::npos) keys.push_back(trim(line.substr(0, eq)));
  }
  return keys;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The mnemonic of a menu or button text: the character after a single '&'
// ("&&" is a literal ampersand), lower-cased; none when there is none.
std::optional<std::string> mnemonic(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    const auto lead = static_cast<unsigned char>(text[i + 1]);
    if (lead < 0x80) return std::string(1, static_cast<char>(std::tolower(lead)));
    std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;  // one UTF-8 character
    return text.substr(i + 1, len);
  }
  return std::nullopt;
}

// The language keys the resources use for the menu bar and the pane's buttons.
struct ResourceKeys {
  std::vector<std::string> titles;                          // menu bar titles
  std::map<std::string, std::vector<std::string>> items;    // items of each title's menu
  std::vector<std::string> buttons;                         // pane buttons
  std::vector<std::string> labels;                          // the main window's labels and check box
};

std::string quotedText(const std::string& line) {
  const auto a = line.find('"');
  const auto b = line.find('"', a + 1);
  return a == std::string::npos || b == std::string::npos ? std::string() : line.substr(a + 1, b - a - 1);
}

// A menu item's key, without the key it shows after a tab ("_Refresh\tF5").
std::string itemKey(const std::string& text) { return text.substr(0, text.find("\\t")); }

ResourceKeys resourceKeys() {
  ResourceKeys keys;
  // The menu bar is the main window's, the buttons are the pane's.
  std::istringstream in(readBytes(kSource / "src" / "res" / "main_frame.rc") +
                        readBytes(kSource / "src" / "res" / "entry_pane.rc"));
  std::string line;
  enum { None, Menu, Pane, Frame } block = None;
  int depth = 0;
  // The pop-ups open at each depth: a nested pop-up's items are its own,
  // and the items after it its parent's again.
  std::vector<std::string> popups;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    if (first == "IDR_MAINMENU" && second == "MENU") {
      block = Menu;
      depth = 0;
      continue;
    }
    if (first == "IDD_ENTRYPANE") {
      block = Pane;
      depth = 0;
      continue;
    }
    if (first == "IDD_MAINFRAME") {
      block = Frame;
      depth = 0;
      continue;
    }
    if (block == None) continue;
    if (first == "BEGIN") {
      ++depth;
    } else if (first == "END") {
      if (--depth == 0) block = None;
    } else if (block == Menu && first == "POPUP") {
      popups.resize(static_cast<std::size_t>(depth - 1));
      popups.push_back(quotedText(line));
      keys.items[popups.back()];
      if (depth == 1) keys.titles.push_back(popups.back());
      // A pop-up is itself an item of the menu it is in.
      if (depth > 1) keys.items[popups[popups.size() - 2]].push_back(popups.back());
    } else if (block == Menu && first == "MENUITEM" && second != "SEPARATOR" && depth >= 2) {
      keys.items[popups.at(static_cast<std::size_t>(depth - 2))].push_back(itemKey(quotedText(line)));
    } else if (block == Pane && first == "PUSHBUTTON") {
      keys.buttons.push_back(quotedText(line));
    } else if (block == Frame && (first == "LTEXT" || first == "AUTOCHECKBOX")) {
      keys.labels.push_back(quotedText(line));
    }
  }
  return keys;
}

TEST(ShippedLanguageFiles, AreFoundAndNonAsciiOnesCarryAByteOrderMark) {
  const auto files = shippedFiles();
  ASSERT_GE(files.size(), 2u) << "English and at least one more language ship";
  for (const auto& f : files) {
    const std::string bytes = readBytes(f);
    ASSERT_FALSE(bytes.empty()) << f;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << f << " is UTF-8 with a byte-order mark";
  }
}

TEST(ShippedLanguageFiles, HaveEveryEnglishKeyWithTheSamePlaceholdersAndEscapes) {
  const std::string english = textOf(kSource / "dist" / "velmora.language");
  const auto keys = keysOf(english);
  ASSERT_GT(keys.size(), 100u);
  for (const auto& f : shippedFiles()) {
    const std::string text = textOf(f);
    for (const auto& key : keys) {
      const auto theirs = profileLookup(text, "String", key);
      const auto ours = profileLookup(english, "String", key);
      ASSERT_TRUE(ours.has_value()) << key;
      if (!theirs || theirs->empty()) {
        ADD_FAILURE() << f.filename() << " lacks " << key;
        continue;
      }
      EXPECT_EQ(count(*theirs, "%s"), count(*ours, "%s")) << f.filename() << " " << key << ": " << *theirs;
      EXPECT_EQ(count(*theirs, "%"), count(*ours, "%")) << f.filename() << " " << key << ": " << *theirs;
      EXPECT_EQ(count(*theirs, "\\r"), count(*ours, "\\r")) << f.filename() << " " << key << ": " << *theirs;
      EXPECT_EQ(count(*theirs, "\\n"), count(*ours, "\\n")) << f.filename() << " " << key << ": " << *theirs;
    }
    // A key only a translation has is a typo of a real key, never shown.
    for (const auto& key : keysOf(text)) {
      EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const std::string& k) {
        return std::equal(k.begin(), k.end(), key.begin(), key.end(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
      })) << f.filename() << " has a key English lacks: " << key;
    }
  }
}

TEST(ShippedLanguageFiles, MnemonicsOfMenusAndPaneButtonsNeverShadowEachOther) {
  const ResourceKeys rc = resourceKeys();
  ASSERT_EQ(rc.titles.size(), 5u) << "the menu bar of the resources";
  ASSERT_EQ(rc.buttons.size(), 8u) << "the pane's buttons";
  ASSERT_EQ(rc.labels, (std::vector<std::string>{"_FilterLabel", "_ShowOnlyNew", "_ShowOnlyNotStarting", "_HideWindowsEntries"}))
      << "the main window's labels and check boxes";
  for (const auto& f : shippedFiles()) {
    const std::string text = textOf(f);
    auto shown = [&](const std::string& key) { return profileLookup(text, "String", key).value_or(key); };
    auto letter = [&](const std::string& key) { return mnemonic(shown(key)); };

    std::map<std::string, std::string> titleLetters;
    for (const auto& key : rc.titles) {
      const auto m = letter(key);
      ASSERT_TRUE(m) << f.filename() << ": menu title " << key << " has no mnemonic: " << shown(key);
      EXPECT_TRUE(titleLetters.emplace(*m, key).second)
          << f.filename() << ": menu titles " << titleLetters[*m] << " and " << key << " share '" << *m << "'";
    }
    for (const auto& [popup, items] : rc.items) {
      std::map<std::string, std::string> used;
      for (const auto& key : items) {
        const auto m = letter(key);
        if (!m) continue;
        EXPECT_TRUE(used.emplace(*m, key).second) << f.filename() << ": in menu " << popup << ", " << used[*m]
                                                  << " and " << key << " share '" << *m << "'";
      }
    }
    std::map<std::string, std::string> buttonLetters;
    for (const auto& key : rc.buttons) {
      const auto m = letter(key);
      if (!m) continue;
      EXPECT_FALSE(titleLetters.count(*m)) << f.filename() << ": pane button " << key << " (" << shown(key)
                                           << ") shadows menu title " << titleLetters[*m];
      EXPECT_TRUE(buttonLetters.emplace(*m, key).second)
          << f.filename() << ": pane buttons " << buttonLetters[*m] << " and " << key << " share '" << *m << "'";
    }
    std::map<std::string, std::string> labelLetters;
    for (const auto& key : rc.labels) {
      const auto m = letter(key);
      ASSERT_TRUE(m) << f.filename() << ": label " << key << " has no mnemonic: " << shown(key);
      EXPECT_TRUE(labelLetters.emplace(*m, key).second)
          << f.filename() << ": " << labelLetters[*m] << " and " << key << " share '" << *m << "'";
      EXPECT_FALSE(titleLetters.count(*m)) << f.filename() << ": label " << key << " shadows menu title "
                                           << titleLetters[*m];
      EXPECT_FALSE(buttonLetters.count(*m)) << f.filename() << ": label " << key << " shares '" << *m
                                            << "' with pane button " << buttonLetters[*m];
    }
  }
}

TEST(ShippedLanguageFiles, MnemonicIsTheCharacterAfterASingleAmpersand) {
  EXPECT_EQ(mnemonic("Re&fresh"), std::optional<std::string>("f"));
  EXPECT_EQ(mnemonic("&Datei"), std::optional<std::string>("d"));
  EXPECT_EQ(mnemonic("Tom && &Jerry"), std::optional<std::string>("j"));
  EXPECT_EQ(mnemonic("\xC3\x84&\xC3\x9C"), std::optional<std::string>("\xC3\x9C"));
  EXPECT_EQ(mnemonic("None && here"), std::nullopt);
}

}  // namespace
}  // namespace velmora
