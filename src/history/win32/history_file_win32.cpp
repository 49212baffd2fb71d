#include "history/win32/history_file_win32.h"

#include <windows.h>

#include "core/win32/xml_file.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

HistoryStatus Win32HistoryFile::read(std::vector<HistoryRecord>& out) {
  switch (readXmlElements(path_, L"history", L"change", out)) {
    case XmlFileState::Loaded: return HistoryStatus::Ok;
    case XmlFileState::Missing: return HistoryStatus::Missing;
    case XmlFileState::Unreadable: break;
  }
  return HistoryStatus::Unreadable;
}

HistoryStatus Win32HistoryFile::write(const std::vector<HistoryRecord>& records) {
  const std::string bytes = historyXml(records);
  // Nothing is written that the next read could not take back.
  if (!parsesWithRoot(bytes, L"history")) return HistoryStatus::WriteFailed;
  return writeFileAtomically(path_, bytes) == FileWrite::Written ? HistoryStatus::Ok : HistoryStatus::WriteFailed;
}

// A copy of a read-only file is read-only too; it goes all the same.
void Win32HistoryFile::removeFile(const std::string& path) { (void)deleteFileEvenReadOnly(widen(path)); }

}  // namespace velmora::win32
