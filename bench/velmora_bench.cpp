// Velmora's speed benchmark. It refreshes full panes, starts the whole main
// window, and times the bare enumerations of the same data beside them; it
// prints the figures and asserts nothing. Run it under Wine with
// scripts/bench.sh; an optional argument gives the number of timed runs.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/all_families.h"
#include "app/win32/main_frame.h"
#include "bench_data.h"
#include "platform/win32/com_ptr.h"
#include "core/win32/store_msxml.h"
#include "family/all_entries_family.h"
#include "family/families.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "measure.h"
#include "task_bench.h"
#include "packaged_bench.h"
#include "pane/pane_logic.h"
#include "pane/win32/entry_list_pane.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "programlist/program_list_family.h"
#include "programlist/win32/short_path_win32.h"
#include "registry/registry_family.h"
#include "signed_by_bench.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"
#include "scheduledtasks/win32/task_scheduler_win32.h"
#include "packagedapps/win32/packages_win32.h"
#include "wine/support/win_test_support.h"

namespace velmora::bench {
namespace {

using testing::pumpMessages;

constexpr int kDefaultRuns = 9;
constexpr double kPaneTargetMs = 100;
constexpr double kStartTargetRatio = 1.5;

// ---------------------------------------------------------------------------
// The ports: the real adapters, each wrapped to count and time its calls.

struct Ports {
  Ports(const BenchData& data, const Translator& language)
      : realStore(data.configFile()),
        translator(language, tallies),
        registry(realRegistry, tallies),
        store(realStore, tallies),
        folders(realFolders, tallies),
        links(realLinks, tallies),
        log(translator),
        commit(log, nullptr, translator),
        context{store, translator},
        families(redirected(allFamilies({registry, folders, links, shortPaths, tasks, packages, data.programDirectory()}, context),
                            data, translator)) {}

  // The families with their locations moved to the benchmark's data (which
  // keeps them in the program's order, as the tree first lists them); the usual reads (the
  // Shell Folders values) still happen and are timed.
  static FamilyTable redirected(std::vector<FamilyDescriptor> real, const BenchData& data, const Translator& translator) {
    const std::vector<std::string_view> order = FamilyTable(real).locations();
    for (FamilyDescriptor& family : real) {
      family.paneLocations = [read = family.paneLocations, order, &data](const std::vector<std::string_view>& paths) {
        (void)read(paths);
        std::vector<std::string> out;
        for (std::string_view path : paths) {
          for (std::size_t i = 0; i < order.size() && i < kLocationCount; ++i) {
            if (order[i] == path) out.push_back(data.locations()[i]);
          }
        }
        return out;
      };
    }
    // All Entries was made over the real families: made again over these,
    // in its place.
    std::vector<FamilyDescriptor> owning;
    for (const FamilyDescriptor& family : real) {
      if (family.ownsEntries) owning.push_back(family);
    }
    for (FamilyDescriptor& family : real) {
      if (!family.ownsEntries) family = allEntriesView(owning, translator, kAllEntriesImage);
    }
    return FamilyTable(std::move(real));
  }

  Tallies tallies;
  win32::Win32Registry realRegistry;
  win32::MsxmlStore realStore;
  win32::Win32Folders realFolders;
  win32::Win32ShellLinks realLinks;
  win32::Win32ShortPaths shortPaths;
  win32::TaskSchedulerWin32 tasks;
  win32::PackagesWin32 packages;
  TimedTranslator translator;
  TimedRegistry registry;
  TimedStore store;
  TimedFolders folders;
  TimedLinks links;
  OperationLog log;  // no sink: a fill logs nothing anyway
  ChangeCommit commit;  // no history: nothing here changes an entry
  FamilyContext context;
  FamilyTable families;
};

// ---------------------------------------------------------------------------
// A visible top-level window that holds one pane, as the main window's pane
// host does.

class Host {
 public:
  explicit Host(HINSTANCE instance) {
    constexpr const wchar_t* kClass = L"VelmoraBenchHost";
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, kClass, &wc)) {
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = kClass;
      RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClass, L"Velmora benchmark",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 1000, 700, nullptr, nullptr,
                            instance, nullptr);
  }
  ~Host() {
    if (hwnd_) DestroyWindow(hwnd_);
    pumpMessages();
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND hwnd() const { return hwnd_; }

  void hold(HWND pane) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    MoveWindow(pane, 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(pane, SW_SHOW);
  }

  // Paints everything that is waiting to be painted, now.
  void paint() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
  }

 private:
  HWND hwnd_ = nullptr;
};

std::unique_ptr<win32::EntryListPane> openPane(HINSTANCE instance, Host& host, Ports& ports, FamilyId family,
                                               const std::vector<std::string>& locations) {
  auto pane = std::make_unique<win32::EntryListPane>(ports.translator, ports.families.family(family).make(locations),
                                                     ports.commit);
  if (!pane->create(instance, host.hwnd())) return nullptr;
  host.hold(pane->hwnd());
  host.paint();
  pumpMessages();
  return pane;
}

// ---------------------------------------------------------------------------
// Printing

void heading(const char* text) { std::printf("\n%s\n", text); }

void line(const char* label, const Figures& f, const std::string& note = {}) {
  std::printf("  %-56s %8.1f %8.1f  %s\n", label, f.median, f.min, note.c_str());
}

void tallyLine(const char* label, const Tally& t) {
  if (t.calls == 0) return;
  std::printf("      %-38s %5ld calls %8.1f ms\n", label, t.calls, t.ms);
}

// Where one run's time went, by the calls the families made.
void breakdown(const Tallies& t, double total) {
  tallyLine("language lookups", t.translations);
  tallyLine("config.xml lists (one load each)", t.storeLists);
  tallyLine("registry key enumerations", t.registryEnumerations);
  tallyLine("registry value reads", t.registryQueries);
  tallyLine("folder listings", t.folderLists);
  tallyLine("shell-link loads", t.linkLoads);
  const double ports = t.translations.ms + t.storeLists.ms + t.registryEnumerations.ms + t.registryQueries.ms +
                       t.folderLists.ms + t.linkLoads.ms;
  std::printf("      %-38s %20.1f ms\n", "everything else (windows, list, paint)", total - ports);
}

std::string verdict(bool met) { return met ? "met" : "MISSED"; }

std::string ratioText(const char* what, double ratio) {
  char text[64];
  std::snprintf(text, sizeof text, "%s = %.2f", what, ratio);
  return text;
}

// ---------------------------------------------------------------------------
// Refresh of a pane: the Refresh command as the button sends it, then the
// paint it causes.

struct RefreshFigures {
  Figures total;
  Figures fill;
  Figures paint;
  Tallies perRun;
  int rows = 0;
};

RefreshFigures measureRefresh(Host& host, win32::EntryListPane& pane, Ports& ports, int runs) {
  std::vector<double> total, fill, paint;
  Tallies sum;
  for (int i = 0; i <= runs; ++i) {  // run 0 warms up
    pumpMessages();
    ports.tallies.reset();
    const double t0 = nowMs();
    SendMessageW(pane.hwnd(), WM_COMMAND, MAKEWPARAM(pane_command::kRefresh, 0), 0);
    const double t1 = nowMs();
    host.paint();
    const double t2 = nowMs();
    if (i == 0) continue;
    total.push_back(t2 - t0);
    fill.push_back(t1 - t0);
    paint.push_back(t2 - t1);
    sum += ports.tallies;
  }
  RefreshFigures r;
  r.total = summarise(total);
  r.fill = summarise(fill);
  r.paint = summarise(paint);
  r.perRun = sum.perRun(runs);
  r.rows = pane.rows().count();
  return r;
}

void checkRows(const char* what, int rows, int expected) {
  if (rows != expected) std::printf("  WARNING: %s shows %d rows, %d expected\n", what, rows, expected);
}

// The list view alone: the rows the family made, put into the same list.
Figures measureInsertion(Host& host, win32::EntryListPane& pane, int runs) {
  const std::vector<Row> captured = pane.family().list();
  return measure(runs, [&] {
    pane.rows().setRows(captured);
    host.paint();
  });
}

// The list view's own share, message by message, with drawing suspended as
// a fill suspends it: emptying the list, inserting the rows with their
// check state, setting the three other columns, and the paint.
// A list view of the pane's styles, size and columns, over the pane: the
// pane's own list would take each box set here for a click of the user's
// (and run a Disable or an Enable).
HWND listLike(Host& host, HWND paneList) {
  RECT r{};
  GetWindowRect(paneList, &r);
  MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  HWND list = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(paneList, GWL_EXSTYLE)), WC_LISTVIEWW, L"",
                              static_cast<DWORD>(GetWindowLongW(paneList, GWL_STYLE)) | WS_VISIBLE, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, host.hwnd(), nullptr, GetModuleHandleW(nullptr),
                              nullptr);
  SendMessageW(list, WM_SETFONT, SendMessageW(paneList, WM_GETFONT, 0, 0), FALSE);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, SendMessageW(paneList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  HWND header = reinterpret_cast<HWND>(SendMessageW(paneList, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = static_cast<int>(SendMessageW(paneList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
  }
  SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return list;
}

void listViewByMessage(Host& host, win32::EntryListPane& pane, int runs) {
  const std::vector<Row> captured = pane.family().list();
  HWND list = listLike(host, pane.rows().handle());
  std::vector<std::wstring> names, others;
  for (const Row& r : captured) {
    names.push_back(win32::widen(r.name));
    for (const std::string* t : {&r.type, &r.data, &r.path}) others.push_back(win32::widen(*t));
  }
  std::vector<double> empty, insert, boxes, texts, paint;
  long boxesSet = 0;
  for (int i = 0; i <= runs; ++i) {
    pumpMessages();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const double t0 = nowMs();
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const double t1 = nowMs();
    for (std::size_t n = 0; n < captured.size(); ++n) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_STATE;
      item.iItem = static_cast<int>(n);
      item.pszText = names[n].data();
      item.stateMask = LVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(captured[n].state));
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    const double t2 = nowMs();
    // The list may give a new row the unchecked box whatever it asked for
    // (Wine's does); the pane then sets the box, one notification each.
    for (std::size_t n = 0; n < captured.size(); ++n) {
      const auto wanted = static_cast<UINT>(captured[n].state);
      const auto now = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, n, LVIS_STATEIMAGEMASK));
      if (static_cast<UINT>(stateImageOf(now)) == wanted) continue;
      ++boxesSet;
      LVITEMW item{};
      item.stateMask = LVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(wanted);
      SendMessageW(list, LVM_SETITEMSTATE, n, reinterpret_cast<LPARAM>(&item));
    }
    const double t2b = nowMs();
    for (std::size_t n = 0; n < captured.size(); ++n) {
      for (int column = 1; column <= 3; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = others[n * 3 + static_cast<std::size_t>(column - 1)].data();
        SendMessageW(list, LVM_SETITEMTEXTW, n, reinterpret_cast<LPARAM>(&item));
      }
    }
    const double t3 = nowMs();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    host.paint();
    const double t4 = nowMs();
    if (i == 0) continue;
    empty.push_back(t1 - t0);
    insert.push_back(t2 - t1);
    boxes.push_back(t2b - t2);
    texts.push_back(t3 - t2b);
    paint.push_back(t4 - t3);
  }
  char label[160];
  std::snprintf(label, sizeof label, "  empty the list (%zu rows)", captured.size());
  line(label, summarise(empty));
  std::snprintf(label, sizeof label, "  %zu LVM_INSERTITEM (name, check state)", captured.size());
  line(label, summarise(insert));
  std::snprintf(label, sizeof label, "  %ld LVM_SETITEMSTATE: boxes the insert did not keep", boxesSet / (runs + 1));
  line(label, summarise(boxes));
  std::snprintf(label, sizeof label, "  %zu LVM_SETITEMTEXT (type, data, path)", captured.size() * 3);
  line(label, summarise(texts));
  line("  paint", summarise(paint));
  DestroyWindow(list);
}

// One lookup of the language table, averaged over a batch.
Figures measureLookup(const Translator& translator, int runs) {
  constexpr int kBatch = 20;
  return measureTimed(runs, [&] {
    const double start = nowMs();
    for (int i = 0; i < kBatch; ++i) translator.translate("_RegString");
    return (nowMs() - start) / kBatch;
  });
}

// ---------------------------------------------------------------------------
// (a) and (b): the registry pane and its bare costs.

void registryPane(HINSTANCE instance, const BenchData& data, Ports& ports, const LanguageTable& language, int runs) {
  const int expected = data.sizes().liveValues + data.sizes().disabledRecords;
  Host host(instance);
  auto pane = openPane(instance, host, ports, "registry", {data.runKeyPath()});
  if (!pane) {
    std::printf("  the registry pane could not be created\n");
    return;
  }
  const RefreshFigures r = measureRefresh(host, *pane, ports, runs);

  char title[160];
  std::snprintf(title, sizeof title, "(a) Registry pane refresh, %d live + %d disabled (fill + paint)",
                data.sizes().liveValues, data.sizes().disabledRecords);
  heading(title);
  line("refresh", r.total, "target < 100 ms: " + verdict(r.total.median < kPaneTargetMs));
  line("  fill (the Refresh command)", r.fill);
  line("  paint", r.paint);
  checkRows("the registry pane", r.rows, expected);
  std::printf("    one refresh, by call:\n");
  breakdown(r.perRun, r.total.median);

  heading("(b) Bare costs of the same data");
  std::vector<RegValue> values;
  const KeyPath key = splitKeyPath(data.runKeyPath()).value_or(KeyPath{});
  const Figures enumerate =
      measure(runs, [&] { (void)ports.realRegistry.enumerateValues(key.root, key.subkey, values); });
  std::vector<StoredItem> items;
  const Figures list = measure(runs, [&] { (void)ports.realStore.list(kRegistryRecords, items); });
  const Figures insert = measureInsertion(host, *pane, runs);
  char label[160];
  std::snprintf(label, sizeof label, "Win32Registry: enumerate %zu values", values.size());
  line(label, enumerate);
  std::snprintf(label, sizeof label, "MsxmlStore: list %zu records (one load)", items.size());
  line(label, list);
  std::snprintf(label, sizeof label, "list view: insert the same %d rows + paint", expected);
  line(label, insert);
  listViewByMessage(host, *pane, runs);
  line("sum", Figures{enumerate.median + list.median + insert.median, enumerate.min + list.min + insert.min},
       ratioText("refresh / sum", r.total.median / (enumerate.median + list.median + insert.median)));

  // The language table reads and parses its whole file on every lookup.
  const std::string& file = language.file();
  const auto bytes = win32::readFileBytes(file);
  LanguageTable keptFile([bytes](const std::string&) { return bytes; }, win32::decodeLegacy);
  keptFile.setFile(file);
  StampedTranslator stamped(language);
  line("language table: one lookup (reads the file)", measureLookup(language, runs));
  line("  the same with the file's bytes kept in memory", measureLookup(keptFile, runs));
  line("  the same, texts kept while the file's stamp holds", measureLookup(stamped, runs));
}

// ---------------------------------------------------------------------------
// (c) A startup folder of shortcuts and its bare scan.

// The adapter makes a new shell-link object for every file; this loads every
// file into one object, to show what the object's creation costs.
Figures measureReusedLinkLoads(const std::vector<ScannedFile>& files, int runs) {
  win32::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()))) {
    return {};
  }
  auto file = link.as<IPersistFile>(IID_IPersistFile);
  if (!file) return {};
  std::vector<wchar_t> target(32768);
  return measure(runs, [&] {
    for (const ScannedFile& s : files) {
      if (FAILED(file->Load(win32::widen(s.fullPath).c_str(), STGM_READ))) continue;
      WIN32_FIND_DATAW unused;
      link->GetPath(target.data(), static_cast<int>(target.size()), &unused, 0);
    }
  });
}

void startupFolderPane(HINSTANCE instance, const BenchData& data, Ports& ports, int runs) {
  Host host(instance);
  auto pane = openPane(instance, host, ports, "startupfolder", {data.startupFolder()});
  if (!pane) {
    std::printf("  the startup-folder pane could not be created\n");
    return;
  }
  const RefreshFigures r = measureRefresh(host, *pane, ports, runs);

  char title[160];
  std::snprintf(title, sizeof title, "(c) Startup-folder pane refresh, %d shortcuts (fill + paint)",
                data.sizes().shortcuts);
  heading(title);
  line("refresh", r.total);
  line("  fill (the Refresh command)", r.fill);
  line("  paint", r.paint);
  checkRows("the startup-folder pane", r.rows, data.sizes().shortcuts);
  std::printf("    one refresh, by call:\n");
  breakdown(r.perRun, r.total.median);

  std::size_t files = 0;
  const Figures scan = measure(runs, [&] { files = folderScan(ports.realFolders, data.startupFolder()).size(); });
  const auto scanned = folderScan(ports.realFolders, data.startupFolder());
  const Figures loads = measure(runs, [&] {
    for (const ScannedFile& f : scanned) (void)resolveShortcut(ports.realLinks, f.fullPath);
  });
  char label[160];
  std::snprintf(label, sizeof label, "bare: folder scan (%zu files)", files);
  line(label, scan);
  std::snprintf(label, sizeof label, "bare: %zu shell-link loads (Win32ShellLinks)", scanned.size());
  line(label, loads);
  line("  the same loads through one reused shell-link object", measureReusedLinkLoads(scanned, runs));
  const double bare = scan.median + loads.median;
  line("bare sum", Figures{bare, scan.min + loads.min}, ratioText("refresh / bare", r.total.median / bare));
}

// ---------------------------------------------------------------------------
// (d) The whole main window: sixteen panes filled against the same data,
// shown and painted, against the bare enumerations of that data.

struct StartFigures {
  Figures warm;
  double cold = 0;
  Tallies perRun;
  int shownRows = 0;
  int allRows = 0;
};

StartFigures measureStart(HINSTANCE instance, const BenchData& data, Ports& ports, int runs) {
  StartFigures s;
  std::vector<double> samples;
  Tallies sum;
  for (int i = 0; i <= runs; ++i) {  // run 0 is the cold one
    pumpMessages();
    ports.tallies.reset();
    const double t0 = nowMs();
    auto frame = std::make_unique<win32::MainFrame>(ports.translator, ports.families, ports.commit);
    HWND window = frame->create(instance, nullptr);
    if (!window) {
      std::printf("  the main window could not be created\n");
      return s;
    }
    ShowWindow(window, SW_SHOWMAXIMIZED);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    pumpMessages();
    const double elapsed = nowMs() - t0;
    if (i == 0) {
      s.cold = elapsed;
      s.shownRows = frame->pane(frame->host().visibleIndex()).rows().count();
      for (int n = 0; n < static_cast<int>(ports.families.nodes().size()); ++n) s.allRows += frame->pane(n).rows().count();
    } else {
      samples.push_back(elapsed);
      sum += ports.tallies;
    }
    frame.reset();
    pumpMessages();
  }
  s.warm = summarise(samples);
  s.perRun = sum.perRun(runs);
  return s;
}

// What the start-up has to read, read once each through the adapters: the
// two Shell Folders values, the ten Run-type keys, the three program-list values,
// both folders with one shell-link load a file, and one config.xml list of
// each kind.
double bareStart(const BenchData& data, Ports& ports) {
  const double t0 = nowMs();
  for (const char* name : {"Common Startup", "Startup"}) (void)readStartupFolder(ports.realRegistry, name);
  // The first two are the folders, the next ten the Run-type keys, the
  // last three the program-list values.
  for (std::size_t i = 0; i < kLocationCount; ++i) {
    const std::string& where = data.locations()[i];
    if (i < 2) {
      for (const ScannedFile& f : folderScan(ports.realFolders, where)) {
        (void)resolveShortcut(ports.realLinks, f.fullPath);
      }
    } else if (i < 12) {
      std::vector<RegValue> values;
      if (const auto key = splitKeyPath(where)) (void)ports.realRegistry.enumerateValues(key->root, key->subkey, values);
    } else {
      RegValue value;
      if (const auto at = splitValuePath(where))
        (void)ports.realRegistry.queryValue(at->root, at->key, at->valueName, value);
    }
  }
  std::vector<StoredItem> items;
  for (RecordKind kind : {kRegistryRecords, kProgramListRecords, kStartupFolderRecords}) {
    (void)ports.realStore.list(kind, items);
  }
  return nowMs() - t0;
}

// Creating one pane window as the main window creates each of its sixteen:
// hidden, over an empty key. Its destruction is left out.
Figures measurePaneCreation(HINSTANCE instance, const BenchData& nothing, Ports& ports, int runs) {
  Host host(instance);
  const std::vector<std::string> empty{nothing.locations()[2]};
  return measureTimed(runs, [&] {
    pumpMessages();
    const double start = nowMs();
    auto pane = std::make_unique<win32::EntryListPane>(ports.translator, ports.families.family("registry").make(empty),
                                                       ports.commit);
    pane->create(instance, host.hwnd());
    const double elapsed = nowMs() - start;
    pane.reset();
    pumpMessages();
    return elapsed;
  });
}

void mainWindow(HINSTANCE instance, const BenchData& data, Ports& ports, Ports& stamped, const BenchData& nothing,
                Ports& emptyPorts, int runs) {
  const StartFigures s = measureStart(instance, data, ports, runs);
  const Figures bare = measureTimed(runs, [&] { return bareStart(data, ports); });

  heading("(d) Main window start-up over the same data: created, shown maximised and painted");
  line("start-up", s.warm);
  std::printf("  %-56s %8.1f\n", "  first run (cold: DLLs, classes, file cache)", s.cold);
  const int liveAndDisabled = data.sizes().liveValues + data.sizes().disabledRecords;
  std::printf(
      "  shown pane: %d rows; every pane: %d rows (the %d Run entries are listed by\n"
      "  four panes with All Entries, the %d shortcuts by three)\n",
      s.shownRows, s.allRows, liveAndDisabled, data.sizes().shortcuts);
  std::printf("    one start-up, by call:\n");
  breakdown(s.perRun, s.warm.median);
  line("bare enumerations of the same data, once each", bare);
  const double ratio = s.warm.median / bare.median;
  char note[64];
  std::snprintf(note, sizeof note, "%.2f", ratio);
  std::printf("  %-56s %8s           target <= %.1f: %s\n", "start-up / bare", note, kStartTargetRatio,
              verdict(ratio <= kStartTargetRatio).c_str());

  const StartFigures r = measureStart(instance, data, stamped, runs);
  line("start-up, language texts kept while the file's stamp holds", r.warm);
  std::snprintf(note, sizeof note, "%.2f", r.warm.median / bare.median);
  std::printf("  %-56s %8s\n", "  / bare", note);
  const StartFigures e = measureStart(instance, nothing, emptyPorts, runs);
  line("start-up over empty locations: the windows alone", e.warm);
  line("  of which one (hidden, empty) pane window, of sixteen",
       measurePaneCreation(instance, nothing, emptyPorts, runs));
}

int run(int runs, const std::string& only) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  // The program's language file, read as the program reads it.
  LanguageTable language(win32::readFileBytes, win32::decodeLegacy);
  language.setFile(win32::programFiles().directory + "\\velmora.language");
  if (!win32::fileExists(language.file())) {
    std::printf("velmora.language is missing beside the benchmark: %s\n", language.file().c_str());
    return 1;
  }

  const double seedStart = nowMs();
  const BenchData data(DataSizes{});
  if (!data.ok()) {
    std::printf("could not seed the data: %s\n", data.problem().c_str());
    return 1;
  }
  std::printf(
      "Velmora speed benchmark: %d live Run values, %d disabled records, %d shortcuts "
      "(seeded in %.0f ms)\n",
      data.sizes().liveValues, data.sizes().disabledRecords, data.sizes().shortcuts, nowMs() - seedStart);
  std::printf("Milliseconds: median and minimum of %d runs after one warm-up run.\n", runs);
  std::printf("  %-56s %8s %8s\n", "", "median", "min");

  // A message box would stop the run; any that shows is answered and
  // reported. The main window is a dialog too, and is left alone.
  std::vector<std::wstring> messages;
  testing::DialogAnswerer answerer([&messages](HWND dialog, const testing::DialogAnswerer::Seen& seen) {
    if (!GetDlgItem(dialog, 0xFFFF)) return 0;
    messages.push_back(seen.text);
    return IDOK;
  });

  if (only == "signed-by" || only == "tasks" || only == "packaged") {
    if (only == "tasks") {
      scheduledTasks(language, runs);
    } else if (only == "packaged") {
      packagedApps(language, runs);
    } else {
      signedByPane(instance, language, runs);
    }
    return messages.empty() ? 0 : 2;
  }
  Ports ports(data, language);
  registryPane(instance, data, ports, language, runs);
  startupFolderPane(instance, data, ports, runs);
  StampedTranslator stamped(language);
  Ports stampedPorts(data, stamped);
  const BenchData nothing(DataSizes{0, 0, 0});
  Ports emptyPorts(nothing, language);
  mainWindow(instance, data, ports, stampedPorts, nothing, emptyPorts, runs);
  scheduledTasks(language, runs);
  packagedApps(language, runs);
  signedByPane(instance, language, runs);

  for (const std::wstring& text : messages) {
    std::printf("WARNING: a message appeared: %s\n", win32::narrow(text).c_str());
  }
  return messages.empty() ? 0 : 2;
}

}  // namespace
}  // namespace velmora::bench

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : velmora::bench::kDefaultRuns;
  if (runs < 1) {
    std::fprintf(stderr, "usage: velmora_bench [runs [signed-by|tasks|packaged]]\n");
    return 1;
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  const HRESULT com = CoInitialize(nullptr);
  // "signed-by", "tasks" or "packaged" after the runs measures (e), (f) or
  // (g) alone.
  const std::string only = argc > 2 ? argv[2] : "";
  const int result = velmora::bench::run(runs, only);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
