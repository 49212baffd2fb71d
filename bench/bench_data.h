#pragma once
// The data the benchmark reads: live Run values, disabled records in a
// config.xml, and a startup folder of shortcuts, all in a throwaway key and
// folder. The startup locations are moved there too, so that the
// whole main window can be filled from it without touching a real one.
#include <array>
#include <string>

#include "core/locations.h"
#include "wine/support/win_test_support.h"

namespace velmora::bench {

// The program's startup locations in the order the tree first lists them:
// the two folders, the ten Run-type keys, the three program-list values.
constexpr std::size_t kLocationCount = 15;

struct DataSizes {
  int liveValues = 1000;
  int disabledRecords = 1000;
  int shortcuts = 200;
};

class BenchData {
 public:
  // Seeds everything; ok() says whether it all was written.
  explicit BenchData(const DataSizes& sizes);

  bool ok() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }
  const DataSizes& sizes() const { return sizes_; }

  // The key that holds the live values, as a pane names it.
  std::string runKeyPath() const { return key_.path() + "\\User\\Run"; }
  std::string runSubkey() const { return key_.subkey() + "\\User\\Run"; }
  // Beside config.xml, as the program's own folder is.
  const std::string& programDirectory() const { return dir_.path(); }
  std::string configFile() const { return dir_.file("config.xml"); }
  std::string startupFolder() const { return dir_.file("Startup"); }
  std::string commonStartupFolder() const { return dir_.file("Common Startup"); }

  // Every location moved into the throwaway key and folder: the folders, the
  // ten Run-type keys (only the current user's Run holds values) and the
  // three program-list values.
  const std::array<std::string, kLocationCount>& locations() const { return locations_; }

 private:
  void seedRegistry();
  void seedConfig();
  void seedShortcuts();
  void fail(const std::string& what);

  DataSizes sizes_;
  testing::TestKey key_;
  testing::TempDir dir_;
  std::array<std::string, kLocationCount> locations_;
  std::string problem_;
};

}  // namespace velmora::bench
