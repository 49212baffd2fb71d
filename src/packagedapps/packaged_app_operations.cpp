// Switching a task on and off, as Windows' own startup settings leave it
// for a user's choice, and putting it back exactly as it was. Every write
// is read back before it counts; a task whose state a policy decides is
// never written.
#include "core/format.h"
#include "family/transaction.h"
#include "lang/language_table.h"
#include "packagedapps/packaged_app_family.h"
#include "startupflags/startup_flags.h"

namespace velmora {

namespace {

bool isStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == 7; }

bool sameValue(const std::optional<RegValue>& a, const std::optional<RegValue>& b) {
  if (!a || !b) return !a && !b;
  return a->type == b->type && a->text == b->text && a->bytes == b->bytes;
}

// The history's fields of a change: each value before and after, as
// flagText writes a value (empty: there was none).
constexpr const char* kStateBefore = "statebefore";
constexpr const char* kStateAfter = "stateafter";
constexpr const char* kOnceBefore = "oncebefore";
constexpr const char* kOnceAfter = "onceafter";

// A field the change must have; clears `ok` when it has not or it does not
// read back.
std::optional<RegValue> field(const Change& c, const char* name, std::string_view value, bool& ok) {
  const auto it = c.extra.find(name);
  if (it == c.extra.end()) {
    ok = false;
    return std::nullopt;
  }
  return flagFromText(it->second, std::string(value), &ok);
}

}  // namespace

OperationResult PackagedAppFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return switchTask(entry, true); });
}

OperationResult PackagedAppFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return switchTask(entry, false); });
}

std::optional<PackagedTask> PackagedAppFamily::readLive(const std::string& location, const std::string& name,
                                                        const std::string& data) {
  std::optional<PackagedTask> task = isPackagedLocation(location) ? catalog_.find(location) : std::nullopt;
  if (!task || task->name != name || task->executable != data) {
    support_.tell("_PackagedTaskChanged", {name});
    return std::nullopt;
  }
  return task;
}

void PackagedAppFamily::tellPolicyDecides(const PackagedTask& task) {
  support_.tell("_PackagedChangeRefused", {task.name, statusOf(task).front().text});
}

bool PackagedAppFamily::read(const PackagedTask& task, Values& now) {
  const auto one = [&](std::string_view name, std::optional<RegValue>& out) {
    RegValue v;
    switch (registry_.queryValue(RootKey::CurrentUser, task.stateKey(), std::string(name), v)) {
      case RegStatus::Ok: out = std::move(v); return true;
      case RegStatus::NotFound: out.reset(); return true;
      case RegStatus::AccessDenied:
      case RegStatus::Failed: return false;
    }
    return false;
  };
  Values read;
  if (!one(kStateValue, read.state) || !one(kEnabledOnceValue, read.enabledOnce)) return false;
  now = std::move(read);
  return true;
}

Outcome PackagedAppFamily::write(Transaction& tx, const PackagedTask& task, const Values& was, const Values& wanted) {
  const std::string key = task.stateKey();
  const auto put = [this, key](const std::string& name, const std::optional<RegValue>& value) {
    if (!value) {
      const RegStatus s = registry_.deleteValue(RootKey::CurrentUser, key, name);
      return s == RegStatus::Ok || s == RegStatus::NotFound;
    }
    const RegStatus s =
        isStringType(value->type)
            ? registry_.setText(RootKey::CurrentUser, key, name, value->text, value->type, KeyCreation::CreateKey)
            : registry_.setBytes(RootKey::CurrentUser, key, name, value->bytes, value->type, KeyCreation::CreateKey);
    return s == RegStatus::Ok;
  };
  const struct {
    std::string_view name;
    const std::optional<RegValue>& before;
    const std::optional<RegValue>& after;
  } steps[] = {{kStateValue, was.state, wanted.state}, {kEnabledOnceValue, was.enabledOnce, wanted.enabledOnce}};
  for (const auto& step : steps) {
    if (sameValue(step.before, step.after)) continue;
    const std::string name(step.name);
    if (!put(name, step.after)) return tx.fail("_FlagWriteFailed", {task.name, "HKEY_CURRENT_USER\\" + key});
    tx.undoWith([put, name, before = step.before] { return put(name, before); });
  }
  // Windows may keep the key from us (a protected hive, a policy): only
  // what reads back counts.
  Values now;
  if (!read(task, now) || !sameValue(now.state, wanted.state) || !sameValue(now.enabledOnce, wanted.enabledOnce)) {
    return tx.fail("_PackagedNotKept", {task.name});
  }
  return Outcome::Done;
}

Change PackagedAppFamily::change(std::string_view kind, const PackagedTask& task, bool wasOn, const Values& before,
                                 const Values& after) const {
  const bool on = startupState(after.state, task.manifestEnabled, task.blocked).starts;
  Change c = support_.change(kind, task.location(), EntryState{task.name, task.executable, {}, !wasOn},
                             EntryState{task.name, task.executable, {}, !on});
  c.extra[kStateBefore] = flagText(before.state);
  c.extra[kStateAfter] = flagText(after.state);
  c.extra[kOnceBefore] = flagText(before.enabledOnce);
  c.extra[kOnceAfter] = flagText(after.enabledOnce);
  return c;
}

bool PackagedAppFamily::switchTask(const EntryRef& entry, bool on) {
  const std::optional<PackagedTask> task = readLive(entry.location, entry.name, entry.data);
  if (!task) return false;
  const StartupState state = task->startup();
  if (state.policyDecides) {
    tellPolicyDecides(*task);
    return false;
  }
  if (state.starts == on) {
    // Switched elsewhere meanwhile: the row is out of date.
    support_.tell("_PackagedTaskChanged", {entry.name});
    return false;
  }
  Values was;
  if (!read(*task, was)) {
    support_.tell("_FlagWriteFailed", {task->name, "HKEY_CURRENT_USER\\" + task->stateKey()});
    return false;
  }
  // What Windows' startup settings write for the user's choice; turning a
  // task on also records that the user did, as they do.
  Values wanted = was;
  wanted.state = dwordValue(std::string(kStateValue), on ? static_cast<std::uint32_t>(StartupTaskState::Enabled)
                                                         : static_cast<std::uint32_t>(StartupTaskState::DisabledByUser));
  if (on) wanted.enabledOnce = dwordValue(std::string(kEnabledOnceValue), 1);
  Transaction tx(support_, task->name);
  if (write(tx, *task, was, wanted) != Outcome::Done) return false;
  tx.commit();
  support_.done(change(on ? change_kind::kEnable : change_kind::kDisable, *task, !on, was, wanted));
  return true;
}

OperationResult PackagedAppFamily::undo(const Change& c, UserPrompt& prompt) {
  return support_.run(prompt, [&] {
    // Only a change this family makes: a switch, with every value it left
    // and found, at a place a row could have.
    bool readable = (c.kind == change_kind::kDisable || c.kind == change_kind::kEnable) && c.before && c.after;
    Values was, left;
    was.state = field(c, kStateBefore, kStateValue, readable);
    left.state = field(c, kStateAfter, kStateValue, readable);
    was.enabledOnce = field(c, kOnceBefore, kEnabledOnceValue, readable);
    left.enabledOnce = field(c, kOnceAfter, kEnabledOnceValue, readable);
    if (!support_.mayUndo(c, places_, readable && isPackagedLocation(c.location))) return false;
    const std::string& name = c.after->name;
    const std::optional<PackagedTask> task = catalog_.find(c.location);
    if (!task) {
      support_.tellEntryChanged(name, support_.translator().translate("_UndoPackagedGone"));
      return false;
    }
    Values now;
    if (!read(*task, now)) {
      support_.tell("_FlagWriteFailed", {task->name, "HKEY_CURRENT_USER\\" + task->stateKey()});
      return false;
    }
    if (!sameValue(now.state, left.state) || !sameValue(now.enabledOnce, left.enabledOnce)) {
      support_.tellEntryChanged(name, support_.translator().translate("_UndoFlagChanged"));
      return false;
    }
    if (task->startup().policyDecides) {
      tellPolicyDecides(*task);
      return false;
    }
    Transaction tx(support_, task->name);
    if (write(tx, *task, now, was) != Outcome::Done) return false;
    tx.commit();
    support_.done(change(oppositeKind(c.kind), *task, task->startup().starts, now, was));
    return true;
  });
}

}  // namespace velmora
