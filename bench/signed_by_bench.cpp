#include "signed_by_bench.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/program_files_win32.h"
#include "app/win32/signatures_win32.h"
#include "core/paths.h"
#include "core/win32/store_msxml.h"
#include "family/file_signature.h"
#include "history/change_commit.h"
#include "measure.h"
#include "pane/pane_command_ids.h"
#include "pane/win32/entry_list_pane.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "registry/registry_family.h"
#include "wine/support/win_test_support.h"

namespace velmora::bench {

namespace {

constexpr int kValues = 1000;
constexpr int kPrograms = 50;
constexpr double kPaneTargetMs = 100;

void line(const char* label, double median, double min, const std::string& note = {}) {
  std::printf("  %-56s %8.1f %8.1f  %s\n", label, median, min, note.c_str());
}

}  // namespace

void signedByPane(HINSTANCE instance, const Translator& translator, int runs) {
  std::printf("\n(e) Registry pane refresh, %d live values of %d signed programs, Signed by in view\n", kValues,
              kPrograms);
  const std::string sample = directoryPart(win32::programPath()) + "\\signed_sample.exe";
  if (!win32::fileExists(sample)) {
    std::printf("  signed_sample.exe is missing beside the benchmark (build the tests)\n");
    return;
  }
  testing::TempDir dir;
  std::vector<std::string> programs;
  for (int i = 0; i < kPrograms; ++i) {
    programs.push_back(dir.file("signed_" + std::to_string(i) + ".exe"));
    CopyFileW(win32::widen(sample).c_str(), win32::widen(programs.back()).c_str(), FALSE);
  }
  testing::TestKey key;
  const std::wstring run = win32::widen(key.subkey() + "\\Run");
  for (int i = 0; i < kValues; ++i) {
    const std::wstring name = L"Tool " + std::to_wstring(i);
    const std::wstring data = win32::widen("\"" + programs[static_cast<std::size_t>(i % kPrograms)] + "\" /background");
    RegSetKeyValueW(HKEY_CURRENT_USER, run.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }

  win32::Win32Registry registry;
  win32::MsxmlStore store(dir.file("config.xml"));
  win32::Win32ProgramFiles files;
  win32::Win32Signatures check;
  SignatureMemory signatures(check);
  OperationLog log(translator);
  ChangeCommit commit(log, nullptr, translator);
  HWND host = CreateWindowExW(WS_EX_CONTROLPARENT, WC_STATICW, L"Velmora benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 1000, 700, nullptr, nullptr, instance, nullptr);
  if (!host) return;
  // The same pane with and without the signature checks: the difference is
  // what the column costs.
  for (SignatureMemory* memory : {&signatures, static_cast<SignatureMemory*>(nullptr)}) {
    const FamilyContext context{store, translator, {}, nullptr, &files, nullptr, nullptr, memory};
    auto family = std::make_unique<RegistryFamily>(std::vector<std::string>{key.path() + "\\Run"}, registry, context);
    win32::EntryListPane pane(translator, std::move(family), commit);
    if (!pane.create(instance, host)) {
      std::printf("  the pane could not be created\n");
      break;
    }
    RECT client{};
    GetClientRect(host, &client);
    MoveWindow(pane.hwnd(), 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(pane.hwnd(), SW_SHOW);
    // Signed by as the second column, so the rows shown ask for it.
    int order[] = {0, 6, 1, 2, 3, 4, 5};
    SendMessageW(pane.rows().handle(), LVM_SETCOLUMNORDERARRAY, 7, reinterpret_cast<LPARAM>(order));
    const auto refresh = [&] {
      testing::pumpMessages();
      const double start = nowMs();
      SendMessageW(pane.hwnd(), WM_COMMAND, MAKEWPARAM(pane_command::kRefresh, 0), 0);
      RedrawWindow(host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      GdiFlush();
      return nowMs() - start;
    };
    const double first = refresh();
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) samples.push_back(refresh());
    const Figures warm = summarise(samples);
    if (memory) {
      line("first look: the signatures of the rows shown checked", first, first);
      line("refresh, signatures remembered for the session", warm.median, warm.min,
           std::string("target < 100 ms: ") + (warm.median < kPaneTargetMs ? "met" : "MISSED"));
      std::printf("  %-56s %s\n", "  row 1 says", pane.rows().text(0, 6).c_str());
    } else {
      line("the same pane without signature checks: first look", first, first);
      line("  refresh", warm.median, warm.min);
    }
  }
  DestroyWindow(host);
  testing::pumpMessages();
}

}  // namespace velmora::bench
