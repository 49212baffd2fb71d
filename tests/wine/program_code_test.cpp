// What the built velmora.exe asks of Windows before it runs a line of its
// own: no administrator rights (its manifest asks for asInvoker), and no
// code from its own folder. A copy run from Downloads must not load a DLL
// someone put beside it, with or without administrator rights.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

std::string builtFolder() { return directoryPart(win32::programPath()); }

// The names of the DLLs a PE file imports, read from its import directory.
std::vector<std::string> importedDlls(const std::string& bytes) {
  std::vector<std::string> names;
  const auto at = [&](std::size_t offset, std::size_t size) { return offset + size <= bytes.size(); };
  if (!at(0, sizeof(IMAGE_DOS_HEADER))) return names;
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, bytes.data(), sizeof dos);
  IMAGE_NT_HEADERS64 nt;
  if (!at(static_cast<std::size_t>(dos.e_lfanew), sizeof nt)) return names;
  std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
  const std::size_t sections = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                               nt.FileHeader.SizeOfOptionalHeader;
  // A virtual address as an offset into the file.
  const auto fileOffset = [&](DWORD rva) -> std::size_t {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER s;
      if (!at(sections + i * sizeof s, sizeof s)) break;
      std::memcpy(&s, bytes.data() + sections + i * sizeof s, sizeof s);
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return bytes.size();
  };
  std::size_t entry = fileOffset(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  for (IMAGE_IMPORT_DESCRIPTOR d; at(entry, sizeof d); entry += sizeof d) {
    std::memcpy(&d, bytes.data() + entry, sizeof d);
    if (d.Name == 0) break;
    const std::size_t name = fileOffset(d.Name);
    if (name < bytes.size()) names.push_back(asciiUpper(bytes.c_str() + name));
  }
  return names;
}

TEST(ProgramCode, TheManifestAsksForTheUsersOwnRights) {
  HMODULE image = LoadLibraryExW(widen(builtFolder() + "\\velmora.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(image, found)));
  const std::string manifest(text, SizeofResource(image, found));
  FreeLibrary(image);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos)
      << manifest;
  EXPECT_EQ(manifest.find("highestAvailable"), std::string::npos);
  EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}

TEST(ProgramCode, ItImportsOnlyDllsWindowsTakesFromItsOwnFolder) {
  // KnownDLLs, which Windows maps from System32 whatever lies beside a
  // program, and the C runtime and common controls 6 (side by side, by the
  // manifest). Anything else is looked up at run time from System32.
  const std::vector<std::string> protectedDlls{"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL",
                                               "MSVCRT.DLL",   "OLE32.DLL",    "SHELL32.DLL", "SHLWAPI.DLL",
                                               "USER32.DLL"};
  for (const char* program : {"velmora.exe", "velmorac.exe"}) {
    const auto bytes = win32::readFileBytes(builtFolder() + "\\" + program);
    ASSERT_TRUE(bytes.has_value()) << program;
    const std::vector<std::string> imported = importedDlls(*bytes);
    ASSERT_FALSE(imported.empty()) << program;
    for (const std::string& dll : imported) {
      EXPECT_NE(std::find(protectedDlls.begin(), protectedDlls.end(), dll), protectedDlls.end()) << program << ": " << dll;
    }
  }
  // The reader itself: a program that imports version.dll is seen to.
  const auto sample = win32::readFileBytes(builtFolder() + "\\imports_version.exe");
  ASSERT_TRUE(sample.has_value());
  const std::vector<std::string> sampleImports = importedDlls(*sample);
  EXPECT_NE(std::find(sampleImports.begin(), sampleImports.end(), "VERSION.DLL"), sampleImports.end());
}

// Wine prefers its own DLLs to a file of the same name beside a program;
// Windows takes the first file on its search path. Told to prefer that
// file (native first), Wine searches as Windows does. Not for version.dll
// in Velmora: Wine's own user32 imports it, so Wine would then take it from
// beside any program that uses windows, before the program runs a line
// (Windows maps user32 and what it imports from System32, as a known DLL).
class NativeFirst {
 public:
  NativeFirst() {
    set(L"velmora.exe", {L"xmllite", L"wintrust", L"crypt32", L"wtsapi32"});
    set(L"imports_version.exe", {L"version"});
  }
  ~NativeFirst() {
    for (const wchar_t* program : {L"velmora.exe", L"imports_version.exe"}) {
      RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kAppDefaults) + program).c_str());
    }
  }

 private:
  static constexpr const wchar_t* kAppDefaults = L"Software\\Wine\\AppDefaults\\";
  static void set(const wchar_t* program, std::initializer_list<const wchar_t*> dlls) {
    const std::wstring key = std::wstring(kAppDefaults) + program + L"\\DllOverrides";
    for (const wchar_t* dll : dlls) {
      RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), dll, REG_SZ, L"native,builtin", sizeof L"native,builtin");
    }
  }
};

TEST(ProgramCode, ADllPlantedBesideACopyOfTheProgramIsNeverLoaded) {
  TempDir dir;
  for (const char* file : {"velmora.exe", "velmora.language", "imports_version.exe"}) {
    ASSERT_TRUE(CopyFileW(widen(builtFolder() + "\\" + file).c_str(), widen(dir.file(file)).c_str(), FALSE)) << file;
  }
  const std::vector<std::string> planted{"version.dll", "xmllite.dll", "wintrust.dll", "crypt32.dll", "wtsapi32.dll"};
  for (const std::string& name : planted) {
    ASSERT_TRUE(CopyFileW(widen(builtFolder() + "\\planted_dll.dll").c_str(), widen(dir.file(name)).c_str(), FALSE));
  }
  const auto marks = [&] {
    std::string found;
    for (const std::string& name : planted) {
      if (win32::fileExists(dir.file(name + ".loaded"))) found += name + " ";
    }
    return found;
  };
  const NativeFirst nativeFirst;

  // What the test would see of a program that takes DLLs from its folder.
  {
    StartedProgram importing(dir.file("imports_version.exe"), "", dir.path());
    ASSERT_TRUE(importing.started());
    ASSERT_TRUE(importing.exitCode(20000).has_value());
  }
  ASSERT_EQ(marks(), "version.dll ") << "the planted DLL leaves its mark when it is loaded";
  ASSERT_TRUE(DeleteFileW(widen(dir.file("version.dll.loaded")).c_str()));

  // The export reads every place, the publishers (version.dll) and the
  // signatures (wintrust.dll, crypt32.dll).
  {
    StartedProgram exporting(dir.file("velmora.exe"), "/export \"" + dir.file("entries.csv") + "\"", dir.path());
    ASSERT_TRUE(exporting.started());
    EXPECT_EQ(exporting.exitCode(60000), DWORD{0});
  }
  EXPECT_TRUE(win32::fileExists(dir.file("entries.csv")));
  // The window lists with XmlLite and looks at the session's account.
  {
    const SettingsSetAside settings;
    StartedProgram window(dir.file("velmora.exe"), "", dir.path());
    ASSERT_TRUE(window.started());
    HWND frame = window.window([](const std::wstring& cls, const std::wstring& title) {
      return cls == L"#32770" && title.rfind(L"Velmora (V 2.0)", 0) == 0;
    });
    ASSERT_NE(frame, nullptr);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(window.exitCode(15000).has_value());
  }
  EXPECT_EQ(marks(), "") << "loaded from beside the program";
}

}  // namespace
}  // namespace velmora::testing
