#include "fakes/fake_folders.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::testing {

namespace {
constexpr char kMarker[] = "LNK:";
}

std::string FakeFolders::fold(const std::string& path) {
  std::u16string w = utf8ToUtf16(path);
  while (!w.empty() && w.back() == u'\\') w.pop_back();
  for (char16_t& c : w) c = upperOrdinal(c);
  return utf16ToUtf8(w);
}

std::string FakeFolders::parentOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string FakeFolders::nameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

FakeFolders::Entry* FakeFolders::find(const std::string& path) {
  auto it = folders_.find(fold(parentOf(path)));
  if (it == folders_.end()) return nullptr;
  for (auto& e : it->second) {
    if (equalsIgnoreCase(e.name, nameOf(path))) return &e;
  }
  return nullptr;
}

const FakeFolders::Entry* FakeFolders::find(const std::string& path) const {
  return const_cast<FakeFolders*>(this)->find(path);
}

void FakeFolders::addFolder(const std::string& path) {
  const std::string parent = parentOf(path);
  if (!parent.empty() && parent.find('\\') != std::string::npos && !folders_.count(fold(parent))) {
    addFolder(parent);
  }
  if (folders_.count(fold(path))) return;
  folders_[fold(path)];
  if (!parent.empty()) {
    auto& siblings = folders_[fold(parent)];
    siblings.push_back(Entry{nameOf(path), true, "", kAttrDirectory});
  }
}

void FakeFolders::put(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
  addFolder(parentOf(path));
  if (Entry* e = find(path)) {
    e->bytes = bytes;
    e->attributes = attributes;
    return;
  }
  folders_[fold(parentOf(path))].push_back(Entry{nameOf(path), false, bytes, attributes});
  order_.push_back(fold(path));
}

bool FakeFolders::hasFile(const std::string& path) const {
  const Entry* e = find(path);
  return e && !e->folder;
}

std::string FakeFolders::bytes(const std::string& path) const {
  const Entry* e = find(path);
  return e && !e->folder ? e->bytes : std::string();
}

std::vector<std::string> FakeFolders::files() const {
  std::vector<std::string> out;
  for (const auto& p : order_) {
    if (hasFile(p)) out.push_back(p);
  }
  return out;
}

std::vector<std::string> FakeFolders::filesIn(const std::string& folder) const {
  std::vector<std::string> out;
  auto it = folders_.find(fold(folder));
  if (it == folders_.end()) return out;
  for (const auto& e : it->second) {
    if (!e.folder) out.push_back(e.name);
  }
  return out;
}

FileStatus FakeFolders::list(const std::string& folder, std::vector<FolderEntry>& out) {
  auto it = folders_.find(fold(folder));
  if (it == folders_.end() || folder.empty()) return FileStatus::NotFound;
  out.clear();
  out.push_back({".", kAttrDirectory});
  out.push_back({"..", kAttrDirectory});
  for (const auto& e : it->second) out.push_back({e.name, e.attributes});
  return FileStatus::Ok;
}

bool FakeFolders::exists(const std::string& path) { return find(path) != nullptr || folders_.count(fold(path)); }

FileStatus FakeFolders::removeFile(const std::string& path) {
  auto it = folders_.find(fold(parentOf(path)));
  if (it == folders_.end()) return FileStatus::NotFound;
  auto& entries = it->second;
  auto e = std::find_if(entries.begin(), entries.end(),
                        [&](const Entry& x) { return equalsIgnoreCase(x.name, nameOf(path)); });
  if (e == entries.end()) return FileStatus::NotFound;
  // A read-only file goes as any other: the port clears the mark itself.
  if (e->folder || denyDelete_.count(fold(path))) return FileStatus::AccessDenied;
  entries.erase(e);
  ++deletions;
  return FileStatus::Ok;
}

std::uint32_t FakeFolders::attributes(const std::string& path) const {
  const Entry* e = find(path);
  return e ? e->attributes : 0;
}

FileStatus FakeFolders::write(const std::string& path, const std::string& bytes, bool replace) {
  return place(path, bytes, replace, false);
}

FileStatus FakeFolders::place(const std::string& path, const std::string& bytes, bool replace, bool overHidden) {
  const std::string parent = parentOf(path);
  if (!folders_.count(fold(parent))) return FileStatus::NotFound;
  if (denyWrites_.count(fold(parent))) return FileStatus::AccessDenied;
  const std::string name = nameOf(path);
  if (name.empty() || name.find_first_of(refusedCharacters) != std::string::npos) return FileStatus::InvalidName;
  if (Entry* e = find(path)) {
    if (e->folder) return FileStatus::AccessDenied;
    if (!replace) return FileStatus::Exists;
    if (!overHidden && (e->attributes & (kAttrHidden | kAttrSystem))) return FileStatus::AccessDenied;
    e->bytes = bytes;
  } else {
    folders_[fold(parent)].push_back(Entry{name, false, bytes, 0});
    order_.push_back(fold(path));
  }
  ++writes;
  return FileStatus::Ok;
}

FileStatus FakeFolders::copyFile(const std::string& from, const std::string& to, IfExists ifExists) {
  const Entry* source = find(from);
  if (!source || source->folder) return FileStatus::NotFound;
  const std::string copy = source->bytes;
  const std::uint32_t attributes = source->attributes;
  const FileStatus written = write(to, copy, ifExists == IfExists::Replace);
  // As CopyFile does: the copy has its source's attributes.
  if (written == FileStatus::Ok) find(to)->attributes = attributes;
  return written;
}

FileStatus FakeFolders::moveFile(const std::string& from, const std::string& to, IfExists ifExists) {
  const Entry* source = find(from);
  if (!source || source->folder) return FileStatus::NotFound;
  if (denyDelete_.count(fold(from))) return FileStatus::AccessDenied;
  const std::string content = source->bytes;
  const std::uint32_t attributes = source->attributes;
  if (fold(from) == fold(to)) return FileStatus::Ok;
  const FileStatus written = place(to, content, ifExists == IfExists::Replace, true);
  if (written != FileStatus::Ok) return written;
  --writes;
  find(to)->attributes = attributes;
  return removeFile(from) == FileStatus::Ok ? FileStatus::Ok : FileStatus::Failed;
}

FileStatus FakeFolders::setVisibility(const std::string& path, Visibility visibility) {
  Entry* e = find(path);
  if (!e) return FileStatus::NotFound;
  if (denyAttributes_.count(fold(path))) return FileStatus::AccessDenied;
  e->attributes = visibility == Visibility::Hidden ? (e->attributes | kAttrHidden) : (e->attributes & ~kAttrHidden);
  return FileStatus::Ok;
}

FileStatus FakeFolders::makeFolder(const std::string& path) {
  const std::string parent = parentOf(path);
  if (folders_.count(fold(path))) return FileStatus::Ok;
  if (hasFile(path)) return FileStatus::Exists;
  if (!parent.empty() && denyWrites_.count(fold(parent))) return FileStatus::AccessDenied;
  addFolder(path);
  return FileStatus::Ok;
}

std::string FakeShellLinks::linkBytes(const std::string& target, const std::string& otherFields) {
  return std::string(kMarker) + target + std::string(1, '\0') + otherFields;
}

LinkStatus FakeShellLinks::resolve(const std::string& link, std::string& target) {
  if (unavailable) return LinkStatus::Failed;
  if (!folders_.exists(link)) return LinkStatus::NotFound;
  if (!folders_.hasFile(link)) return LinkStatus::NotALink;
  const std::string b = folders_.bytes(link);
  const std::size_t end = b.find('\0');
  if (!startsWith(b, kMarker) || end == std::string::npos) return LinkStatus::NotALink;
  target = b.substr(sizeof kMarker - 1, end - (sizeof kMarker - 1));
  return LinkStatus::Ok;
}

LinkStatus FakeShellLinks::write(const std::string& link, const std::string& bytes) {
  switch (folders_.write(link, bytes, true)) {
    case FileStatus::Ok: return LinkStatus::Ok;
    case FileStatus::AccessDenied: return LinkStatus::AccessDenied;
    default: return LinkStatus::WriteFailed;
  }
}

LinkStatus FakeShellLinks::arguments(const std::string& link, std::string& args) {
  std::string target;
  const LinkStatus read = resolve(link, target);
  if (read != LinkStatus::Ok) return read;
  const std::string b = folders_.bytes(link);
  const std::size_t from = b.find('\0') + 1;
  const std::size_t to = b.find('\0', from);
  args = b.substr(from, to == std::string::npos ? std::string::npos : to - from);
  return LinkStatus::Ok;
}

LinkStatus FakeShellLinks::create(const std::string& target, const std::string& link) {
  if (unavailable) return LinkStatus::Failed;
  return write(link, linkBytes(target));
}

LinkStatus FakeShellLinks::retarget(const std::string& source, const std::string& target, const std::string& link) {
  std::string old;
  const LinkStatus read = resolve(source, old);
  if (read != LinkStatus::Ok) return read;
  const std::string b = folders_.bytes(source);
  return write(link, linkBytes(target, b.substr(b.find('\0') + 1)));
}

}  // namespace velmora::testing
