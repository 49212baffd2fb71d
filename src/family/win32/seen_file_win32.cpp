#include "family/win32/seen_file_win32.h"

#include <windows.h>

#include <cstdio>

#include "core/log_file.h"
#include "core/paths.h"
#include "core/win32/xml_file.h"
#include "lang/win32/local_formats_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

SeenStatus Win32SeenFile::read(SeenList& out) {
  std::vector<XmlAttributes> places, entries;
  XmlAttributes root;
  switch (readXmlElements(path_, L"seen", L"entry", entries, &root)) {
    case XmlFileState::Loaded: break;
    case XmlFileState::Missing: return SeenStatus::Missing;
    case XmlFileState::Unreadable: return SeenStatus::Unreadable;
  }
  // The places from the same file, read again (a file that went meanwhile
  // is as good as damaged: nothing is marked, nothing written over).
  if (readXmlElements(path_, L"seen", L"place", places) != XmlFileState::Loaded) return SeenStatus::Unreadable;
  auto list = seenFromXml(root, places, entries);
  if (!list) return SeenStatus::Unreadable;
  out = std::move(*list);
  return SeenStatus::Ok;
}

SeenStatus Win32SeenFile::write(const SeenListView& list) {
  const std::string bytes = seenXml(list);
  // Nothing is written that the next read could not take back.
  if (!parsesWithRoot(bytes, L"seen")) return SeenStatus::WriteFailed;
  // The user's data folder exists; Velmora's folder in it is made on the
  // first close (a parent that is missing too makes the write fail).
  const std::wstring folder = widen(directoryPart(path_));
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return SeenStatus::WriteFailed;
  }
  return writeFileAtomically(path_, bytes) == FileWrite::Written ? SeenStatus::Ok : SeenStatus::WriteFailed;
}

std::string Win32SeenFile::now() {
  SYSTEMTIME t{};
  GetSystemTime(&t);
  return formatUtcStamp({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

std::string Win32SeenFile::localDate(const std::string& utc) {
  // Late in the evening UTC is the next day in Asia: the date is the user's.
  const auto t = parseUtcStamp(utc);
  const LocalFormats& formats = userFormats();
  const auto local = t ? formats.toLocal(*t) : std::nullopt;
  return local ? formats.date(*local) : std::string();
}

}  // namespace velmora::win32
