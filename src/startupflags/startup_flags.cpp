#include "startupflags/startup_flags.h"

#include "core/locations.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/transaction.h"

namespace velmora {

namespace {

constexpr std::string_view kApproved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

std::u16string folded(std::string_view text) {
  std::u16string key = utf8ToUtf16(text);
  for (char16_t& c : key) c = upperOrdinal(c);
  return key;
}

bool isStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == 7; }

bool sameValue(const std::optional<RegValue>& a, const std::optional<RegValue>& b) {
  if (!a || !b) return !a && !b;
  return a->type == b->type && a->text == b->text && a->bytes == b->bytes;
}

}  // namespace

std::string flagText(const std::optional<RegValue>& flag) {
  if (!flag) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = std::to_string(flag->type) + ":";
  // A flag is binary; a string-typed one (never written by Windows) keeps
  // its text's UTF-16 bytes all the same.
  std::vector<std::uint8_t> bytes = flag->bytes;
  if (bytes.empty() && !flag->text.empty()) {
    for (char16_t u : utf8ToUtf16(flag->text)) {
      bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
  }
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

bool flagsReadable(const Change& change) {
  bool ok = true;
  for (const char* field : {"flagbefore", "flagafter"}) {
    if (const auto it = change.extra.find(field); it != change.extra.end()) (void)flagFromText(it->second, {}, &ok);
  }
  return ok;
}

std::optional<RegValue> flagFromText(std::string_view text, const std::string& name, bool* ok) {
  if (text.empty()) return std::nullopt;
  const auto fail = [&]() -> std::optional<RegValue> {
    if (ok) *ok = false;
    return std::nullopt;
  };
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || (text.size() - colon - 1) % 2 != 0) return fail();
  std::uint32_t type = 0;
  for (char c : text.substr(0, colon)) {
    if (c < '0' || c > '9' || type > 100000) return fail();
    type = type * 10 + static_cast<std::uint32_t>(c - '0');
  }
  const auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = colon + 1; i < text.size(); i += 2) {
    const int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return fail();
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  if (!isStringType(type)) return RegValue{name, type, {}, std::move(bytes)};
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return RegValue{name, type, utf16ToUtf8(units), {}};
}

std::string FlagKey::path() const { return std::string(rootKeyName(root)) + "\\" + subkey; }

std::optional<FlagKey> flagKeyOfRunKey(std::string_view keyPath) {
  const auto key = splitKeyPath(keyPath);
  if (!key) return std::nullopt;
  const bool machine = key->root == RootKey::LocalMachine;
  if (!machine && key->root != RootKey::CurrentUser) return std::nullopt;
  if (equalsIgnoreCase(key->subkey, "Software\\Microsoft\\Windows\\CurrentVersion\\Run")) {
    return FlagKey{key->root, std::string(kApproved) + "Run"};
  }
  // The 32-bit programs' Run key exists for all users only.
  if (machine && equalsIgnoreCase(key->subkey, "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run")) {
    return FlagKey{key->root, std::string(kApproved) + "Run32"};
  }
  return std::nullopt;
}

FlagKey startupFolderFlagKey(bool allUsers) {
  return FlagKey{allUsers ? RootKey::LocalMachine : RootKey::CurrentUser, std::string(kApproved) + "StartupFolder"};
}

bool flagSaysOff(const std::vector<std::uint8_t>& data) { return data.size() >= 4 && (data[0] & 1u) != 0; }

const std::vector<std::uint8_t>& flagOnBytes() {
  static const std::vector<std::uint8_t> on = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return on;
}

bool OffFlags::isOff(const FlagKey& key, const std::string& name) {
  if (!lastKey_ || !(*lastKey_ == key)) {
    auto it = keys_.find({key.root, folded(key.subkey)});
    if (it == keys_.end()) {
      Names off;
      std::vector<RegValue> values;
      if (registry_.enumerateValues(key.root, key.subkey, values) == RegStatus::Ok) {
        for (const RegValue& v : values) {
          if (flagSaysOff(v.bytes)) off.insert(folded(v.name));
        }
      }
      it = keys_.emplace(std::make_pair(key.root, folded(key.subkey)), std::move(off)).first;
    }
    lastKey_ = key;
    lastNames_ = &it->second;
  }
  return !lastNames_->empty() && lastNames_->count(folded(name)) != 0;
}

// ---------------------------------------------------------------------------
// Steps of a change

Outcome StartupFlagSteps::failed(Transaction& tx, const FlagKey& key, const std::string& name) {
  return tx.fail("_FlagWriteFailed", {name, key.path()});
}

bool StartupFlagSteps::read(Transaction& tx, const FlagKey& key, const std::string& name,
                            std::optional<RegValue>& now) {
  RegValue value;
  switch (registry_.queryValue(key.root, key.subkey, name, value)) {
    case RegStatus::Ok: now = std::move(value); return true;
    case RegStatus::NotFound: now.reset(); return true;
    case RegStatus::AccessDenied:
    case RegStatus::Failed: break;
  }
  // Without knowing what is there, a change could not be taken back.
  (void)failed(tx, key, name);
  return false;
}

bool StartupFlagSteps::restore(const FlagKey& key, const std::string& name, const std::optional<RegValue>& value) {
  if (!value) {
    const RegStatus status = registry_.deleteValue(key.root, key.subkey, name);
    return status == RegStatus::Ok || status == RegStatus::NotFound;
  }
  const RegStatus status =
      isStringType(value->type)
          ? registry_.setText(key.root, key.subkey, name, value->text, value->type, KeyCreation::CreateKey)
          : registry_.setBytes(key.root, key.subkey, name, value->bytes, value->type, KeyCreation::CreateKey);
  return status == RegStatus::Ok;
}

Outcome StartupFlagSteps::write(Transaction& tx, const FlagKey& key, const std::string& name,
                                const std::optional<RegValue>& now, const std::optional<RegValue>& wanted) {
  if (!restore(key, name, wanted)) return failed(tx, key, name);
  tx.undoWith([this, key, name, now] { return restore(key, name, now); });
  return Outcome::Done;
}

Outcome StartupFlagSteps::turnOn(Transaction& tx, const FlagKey& key, const std::string& name,
                                 std::optional<RegValue>* was) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (was) *was = now;
  return write(tx, key, name, now, RegValue{name, kRegBinary, {}, flagOnBytes()});
}

Outcome StartupFlagSteps::turnOnIfOff(Transaction& tx, const FlagKey& key, const std::string& name) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (!now || !flagSaysOff(now->bytes)) return Outcome::Done;
  return write(tx, key, name, now, RegValue{name, kRegBinary, {}, flagOnBytes()});
}

Outcome StartupFlagSteps::drop(Transaction& tx, const FlagKey& key, const std::string& name,
                               std::optional<RegValue>* was) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (was) *was = now;
  if (!now) return Outcome::Done;
  return write(tx, key, name, now, std::nullopt);
}

Outcome StartupFlagSteps::replace(Transaction& tx, const FlagKey& key, const std::string& name,
                                  const std::optional<RegValue>& expected, const std::optional<RegValue>& wanted) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (!sameValue(now, expected)) return Outcome::Stale;
  if (sameValue(now, wanted)) return Outcome::Done;
  return write(tx, key, name, now, wanted);
}

Change StartupFlagSteps::change(const std::string& location, const EntryState& entry,
                                const std::optional<RegValue>& before, const std::optional<RegValue>& after) const {
  Change c = support_.change(change_kind::kFlag, location, entry, entry);
  c.extra["flagbefore"] = flagText(before);
  c.extra["flagafter"] = flagText(after);
  return c;
}

bool StartupFlagSteps::undo(const Change& c, const FlagKey& key, const std::string& name) {
  const auto field = [&](const char* f) {
    const auto it = c.extra.find(f);
    return it == c.extra.end() ? std::string() : it->second;
  };
  bool readable = c.after.has_value();
  const std::optional<RegValue> was = flagFromText(field("flagbefore"), name, &readable);
  const std::optional<RegValue> left = flagFromText(field("flagafter"), name, &readable);
  if (!readable) {
    support_.tell("_UndoNotPossible");
    return false;
  }
  Transaction tx(support_, name);
  const Outcome outcome = replace(tx, key, name, left, was);
  if (outcome == Outcome::Stale) {
    (void)tx.rollBack();
    support_.tellEntryChanged(name, support_.translator().translate("_UndoFlagChanged"));
    return false;
  }
  if (outcome != Outcome::Done) return false;
  tx.commit();
  support_.done(change(c.location, *c.after, left, was));
  return true;
}

Outcome StartupFlagSteps::move(Transaction& tx, const FlagKey& key, const std::string& from, const std::string& to) {
  // Names that differ in case only name one value.
  if (equalsIgnoreCase(from, to)) return Outcome::Done;
  std::optional<RegValue> old, replaced;
  if (!read(tx, key, from, old) || !read(tx, key, to, replaced)) return Outcome::Failed;
  if (!sameValue(old, replaced) && write(tx, key, to, replaced, old) != Outcome::Done) return Outcome::Failed;
  if (old && write(tx, key, from, old, std::nullopt) != Outcome::Done) return Outcome::Failed;
  return Outcome::Done;
}

}  // namespace velmora
