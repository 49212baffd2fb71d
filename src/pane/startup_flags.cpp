#include "pane/startup_flags.h"

#include "core/locations.h"
#include "core/text.h"
#include "pane/transaction.h"

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

Outcome StartupFlagSteps::turnOn(Transaction& tx, const FlagKey& key, const std::string& name) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  return write(tx, key, name, now, RegValue{name, kRegBinary, {}, flagOnBytes()});
}

Outcome StartupFlagSteps::turnOnIfOff(Transaction& tx, const FlagKey& key, const std::string& name) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (!now || !flagSaysOff(now->bytes)) return Outcome::Done;
  return write(tx, key, name, now, RegValue{name, kRegBinary, {}, flagOnBytes()});
}

Outcome StartupFlagSteps::drop(Transaction& tx, const FlagKey& key, const std::string& name) {
  std::optional<RegValue> now;
  if (!read(tx, key, name, now)) return Outcome::Failed;
  if (!now) return Outcome::Done;
  return write(tx, key, name, now, std::nullopt);
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
