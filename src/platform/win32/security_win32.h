#pragma once
// Who Velmora runs as and who may write its data, read from Windows: the
// token's elevation, the account's names, and the owner and access list of
// a folder or file, judged by the rule of core/trust.h.
#include <optional>
#include <string>
#include <vector>

#include "core/trust.h"

namespace velmora::win32 {

// Whether the process runs with administrator rights (an elevated token).
bool runsElevated();

// Whether the account never runs without administrator rights: even its
// unelevated token (the linked one of an elevated token, or the token
// itself) holds the Administrators group enabled. True with UAC turned off
// and under Wine; false for an administrator under UAC, whose everyday
// programs run without the group.
bool alwaysAdministrator();

// Whether asking for administrator rights starts Velmora as another
// account: the account is no administrator at all, so Windows asks for an
// administrator's name and password.
bool elevationRunsAsAnotherAccount();

// The names of the account Velmora runs as: its SID, "DOMAIN\name" and
// "name". Empty when they cannot be read.
std::vector<std::string> currentAccountNames();

// The SIDs that count as administrators when judging rights: the
// well-known ones, and the account itself when it is always one.
std::vector<std::string> administratorSids();

// The owner and access list of a file or folder; nothing when they cannot
// be read (a missing file).
std::optional<SecurityInfo> readSecurity(const std::string& path);

// Whether only administrators can change the folder and, where they exist,
// the files and folders `inside` names (relative to it). A folder or file
// whose rights cannot be read is not theirs.
RightsVerdict folderRights(const std::string& folder, const std::vector<std::string>& inside = {});

// The machine's data folder with its rights: administrators and SYSTEM full
// control, users read, nothing inherited, owned by the administrators. A
// missing folder is made so; an existing one is given these rights (its
// content inherits them) and every file or folder in it that an
// administrator does not own is set aside (renamed "*.not-trusted"), since
// someone else could have written it. True when the folder then judges
// AdminOnly. Needs administrator rights.
bool prepareMachineFolder(const std::string& folder);

}  // namespace velmora::win32
