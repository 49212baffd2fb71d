#include "bench_data.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/wide.h"
#include "startupfolder/win32/shell_links_win32.h"

namespace velmora::bench {

using win32::widen;

namespace {

std::string numbered(const char* pattern, int n) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, pattern, n);
  return buffer;
}

std::string xmlAttribute(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Writes straight through the API: the adapter flushes the key after every
// value, which would make seeding a thousand values slow for nothing.
bool writeValues(const std::string& subkey, const std::vector<std::pair<std::string, std::string>>& values) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, widen(subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool ok = true;
  for (const auto& [name, data] : values) {
    const std::wstring text = widen(data);
    ok = ok && RegSetValueExW(key, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace

BenchData::BenchData(const DataSizes& sizes) : sizes_(sizes) {
  const std::string root = key_.path();
  locations_ = {commonStartupFolder(),
                startupFolder(),
                root + "\\Machine\\Run",
                root + "\\Machine\\Run32",
                root + "\\Machine\\PolicyRun",
                root + "\\Machine\\RunOnce",
                root + "\\Machine\\RunOnce32",
                root + "\\Machine\\RunServices",
                root + "\\Machine\\RunServicesOnce",
                runKeyPath(),
                root + "\\User\\PolicyRun",
                root + "\\User\\RunOnce",
                root + "\\Windows\\Load",
                root + "\\Windows\\Run",
                root + "\\Winlogon\\Userinit"};
  seedRegistry();
  seedConfig();
  seedShortcuts();
}

void BenchData::fail(const std::string& what) {
  if (problem_.empty()) problem_ = what;
}

void BenchData::seedRegistry() {
  std::vector<std::pair<std::string, std::string>> run;
  for (int i = 1; i <= sizes_.liveValues; ++i) {
    run.emplace_back(numbered("Tool %04d", i), numbered("\"C:\\Program Files\\Vendor %04d\\tool.exe\" /background", i));
  }
  if (!writeValues(runSubkey(), run)) fail("could not write the Run values");

  // The other keys exist but are empty, as on most machines.
  for (const char* empty : {"\\Machine\\Run", "\\Machine\\RunOnce", "\\Machine\\RunServices",
                            "\\Machine\\RunServicesOnce", "\\User\\RunOnce"}) {
    if (!writeValues(key_.subkey() + empty, {})) fail("could not create an empty Run key");
  }
  if (!writeValues(key_.subkey() + "\\Windows",
                   {{"Load", "C:\\Tools\\clock.exe"}, {"Run", "C:\\Tools\\mail.exe,C:\\Tools\\sync.exe"}}) ||
      !writeValues(key_.subkey() + "\\Winlogon", {{"Userinit", "C:\\Windows\\system32\\userinit.exe,"}})) {
    fail("could not write the program-list values");
  }
}

void BenchData::seedConfig() {
  // Written whole: a thousand adds would load and save the file a thousand times.
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config><toolvelmora>\r\n";
  const std::string path = xmlAttribute(runKeyPath());
  for (int i = 1; i <= sizes_.disabledRecords; ++i) {
    xml += "<disabledregistryitem path=\"" + path + "\" valuedata=\"" +
           xmlAttribute(numbered("\"C:\\Program Files\\Old Vendor %04d\\agent.exe\" -quiet", i)) + "\" valuename=\"" +
           xmlAttribute(numbered("Disabled Tool %04d", i)) + "\"/>\r\n";
  }
  xml += "<disabledwininiitem path=\"" + xmlAttribute(locations_[13]) +
         "\" valuedata=\"C:\\Tools\\old.exe\" valuename=\"Run\"/>\r\n";
  xml += "</toolvelmora></config>\r\n";
  testing::writeFile(configFile(), xml);
  if (testing::readFile(configFile()) != xml) fail("could not write config.xml");
}

void BenchData::seedShortcuts() {
  if (!CreateDirectoryW(widen(startupFolder()).c_str(), nullptr) ||
      !CreateDirectoryW(widen(commonStartupFolder()).c_str(), nullptr)) {
    fail("could not create the startup folders");
    return;
  }
  win32::Win32ShellLinks links;
  for (int i = 1; i <= sizes_.shortcuts; ++i) {
    const std::string link = startupFolder() + "\\" + numbered("Tool %03d.lnk", i);
    if (links.create(numbered("C:\\Program Files\\Vendor %03d\\tool.exe", i), link) != LinkStatus::Ok) {
      fail("could not write a shortcut");
      return;
    }
  }
}

}  // namespace velmora::bench
