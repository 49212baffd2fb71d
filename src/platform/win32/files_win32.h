#pragma once
// File-system helpers at the Win32 edge.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::win32 {

// The whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::string& path);
// The same for a file others may write: nothing when it is larger than
// `most`, also when it grows past that while read.
std::optional<std::string> readFileBytesUpTo(const std::wstring& path, std::size_t most);
// The text of an XML file's bytes: UTF-16 of either byte order after its
// byte-order mark, else UTF-8 (a mark skipped); nothing when it is neither.
std::optional<std::wstring> textOfXmlFile(std::string_view bytes);

// Text in the system's legacy ANSI code page, as UTF-8. The program runs
// with UTF-8 as its active code page, so the legacy one is asked of the
// system locale.
std::string decodeLegacy(std::string_view bytes);

// The full path of the running program (GetModuleFileNameW, no length limit).
std::string programPath();
ProgramFiles programFiles();
// The places of `files` with the current user's own roots.
DataPlaces dataPlaces(const ProgramFiles& files);
// The installed copy's data folders, made where missing (nothing for any
// other copy): the user's always, the machine's only with administrator
// rights and with its own (security_win32.h).
void makeDataFolders(const ProgramFiles& files);

bool fileExists(const std::string& path);

// Whether a refusal is another program holding the file for a moment (an
// antivirus or sync client): worth trying again briefly (core/retry.h).
bool heldByAnother(unsigned long error);
// The same for replacing an existing file: Windows answers "access denied"
// too when the file is held without delete sharing. (A real lack of rights
// is then reported a second later.)
bool replaceHeldByAnother(unsigned long error);
// Runs a file step (a Win32 call that returns nonzero on success and sets
// the last error on failure) again while `transient` says the error was a
// passing hold, within kBriefRetryPausesMs; the last error stays set.
bool retryWhileHeld(const std::function<bool()>& step, bool (*transient)(unsigned long) = heldByAnother);

// Deletes a file, a read-only one too: Windows refuses to delete a file
// marked read-only, but a startup file the user removes or disables, and
// Velmora's own copies of such files, count as any other. The attributes
// are put back when the delete fails; false then, the last error set.
bool deleteFileEvenReadOnly(const std::wstring& path);
// Clears the read-only mark of an existing `path` that is about to be
// replaced; `restore` then holds its attributes to put back should the
// replace fail (INVALID_FILE_ATTRIBUTES when nothing was changed).
void unmarkReadOnly(const std::wstring& path, unsigned long& restore);

// How writing a whole file ended.
enum class FileWrite {
  Written,        // the file now holds exactly the bytes
  ReadOnly,       // the file is marked read-only: it was left alone
  FolderRefused,  // the folder would not take the new file for lack of rights
  Failed,         // anything else; the old file, if any, is as it was (unless the new one
                  // was moved in and then did not read back as written)
};

// Writes a whole file so that it is either the old one or the new one, never
// a part: a temporary file in the same folder, flushed, then moved over the
// old one, and read back. The one writer of every file the program keeps or
// exports.
[[nodiscard]] FileWrite writeFileAtomically(const std::string& path, std::string_view bytes);

// How a new file that could not be created is reported, from the Windows
// error: FolderRefused for lack of rights (as Program Files answers without
// administrator rights), Failed otherwise (a missing folder, a full disk).
FileWrite creationRefusal(unsigned long error);

}  // namespace velmora::win32
