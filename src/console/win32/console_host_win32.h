#pragma once
// What velmorac needs of Windows besides the families: the standard
// streams (a console gets UTF-16 through WriteConsoleW, anything else UTF-8
// bytes: WriteConsoleW on a redirected handle writes nothing), files, the
// machine and user names, the clock, the folders ids name, and hashes.
#include <windows.h>

#include "console/console_commands.h"

namespace velmora::win32 {

class Win32ConsoleHost final : public ConsoleHost {
 public:
  Win32ConsoleHost();

  void writeData(std::string_view text) override;
  [[nodiscard]] bool dataIsFile() override;
  void writeMessage(std::string_view text) override;
  [[nodiscard]] bool writeFile(const std::string& path, std::string_view bytes) override;
  [[nodiscard]] std::optional<std::string> readFile(const std::string& path) override;
  [[nodiscard]] std::optional<std::vector<XmlFields>> readXmlListing(const std::string& path) override;
  [[nodiscard]] std::string machine() override;
  [[nodiscard]] std::string user() override;
  [[nodiscard]] std::chrono::system_clock::time_point now() override;
  [[nodiscard]] std::vector<FolderName> folderNames() override;
  [[nodiscard]] std::optional<std::string> sha256(const std::string& path) override;
  [[nodiscard]] bool stopAsked() override;
  // From now on Ctrl+C, Ctrl+Break and closing the console ask the changes
  // to stop after the one being made, instead of ending the program in the
  // middle of it.
  void finishChangesOnStop();

 private:
  HANDLE out_;
  HANDLE err_;
};

// Writes UTF-8 text to a standard handle: as UTF-16 to a console (with what
// could drive it made harmless), as the bytes themselves elsewhere.
void writeStandard(HANDLE handle, std::string_view text);

}  // namespace velmora::win32
