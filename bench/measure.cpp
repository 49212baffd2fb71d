#include "measure.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/wide.h"

namespace velmora::bench {

double nowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerMs;
}

Figures summarise(std::vector<double> samples) {
  Figures f;
  if (samples.empty()) return f;
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  f.runs = static_cast<int>(n);
  f.min = samples.front();
  f.max = samples.back();
  f.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return f;
}

Figures measureTimed(int runs, const std::function<double()>& once) {
  once();
  std::vector<double> samples;
  for (int i = 0; i < runs; ++i) samples.push_back(once());
  return summarise(std::move(samples));
}

Figures measure(int runs, const std::function<void()>& once) {
  return measureTimed(runs, [&] {
    const double start = nowMs();
    once();
    return nowMs() - start;
  });
}

namespace {
void add(Tally& to, const Tally& from) {
  to.calls += from.calls;
  to.ms += from.ms;
}
Tally divide(const Tally& t, int runs) { return Tally{t.calls / runs, t.ms / runs}; }
}  // namespace

Tallies& Tallies::operator+=(const Tallies& other) {
  add(translations, other.translations);
  add(storeLists, other.storeLists);
  add(registryEnumerations, other.registryEnumerations);
  add(registryQueries, other.registryQueries);
  add(folderLists, other.folderLists);
  add(linkLoads, other.linkLoads);
  return *this;
}

Tallies Tallies::perRun(int runs) const {
  if (runs <= 0) return {};
  return Tallies{divide(translations, runs),    divide(storeLists, runs),  divide(registryEnumerations, runs),
                 divide(registryQueries, runs), divide(folderLists, runs), divide(linkLoads, runs)};
}

std::string TimedTranslator::translate(std::string_view key, Escapes escapes) const {
  Timed t(tallies_.translations);
  return inner_.translate(key, escapes);
}

std::string StampedTranslator::translate(std::string_view key, Escapes escapes) const {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  const bool found = GetFileAttributesExW(win32::widen(table_.file()).c_str(), GetFileExInfoStandard, &a) != 0;
  const unsigned long long size = found ? (static_cast<unsigned long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow : 0;
  const unsigned long long written = found ? (static_cast<unsigned long long>(a.ftLastWriteTime.dwHighDateTime) << 32) |
                                                 a.ftLastWriteTime.dwLowDateTime
                                           : 0;
  if (!stamped_ || size != size_ || written != written_) {
    known_.clear();
    size_ = size;
    written_ = written;
    stamped_ = true;
  }
  auto at = known_.find({std::string(key), escapes});
  if (at == known_.end()) {
    at = known_.emplace(std::make_pair(std::string(key), escapes), table_.translate(key, escapes)).first;
  }
  return at->second;
}

StoreStatus TimedStore::list(RecordKind kind, std::vector<StoredItem>& out) {
  Timed t(tallies_.storeLists);
  return inner_.list(kind, out);
}

RegStatus TimedRegistry::enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) {
  Timed t(tallies_.registryEnumerations);
  return inner_.enumerateValues(root, subkey, out);
}

RegStatus TimedRegistry::queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) {
  Timed t(tallies_.registryQueries);
  return inner_.queryValue(root, subkey, name, out);
}

FileStatus TimedFolders::list(const std::string& folder, std::vector<FolderEntry>& out) {
  Timed t(tallies_.folderLists);
  return inner_.list(folder, out);
}

LinkStatus TimedLinks::resolve(const std::string& link, std::string& target) {
  Timed t(tallies_.linkLoads);
  return inner_.resolve(link, target);
}

}  // namespace velmora::bench
