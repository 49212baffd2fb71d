#pragma once
// What Windows measured of the last logon, as the rows show it (the Impact
// and Last logon columns). The measurement is read where the places are
// read slowly; a family only asks it to fill a described row's cells.
#include <string_view>

#include "family/entry.h"

namespace velmora {

// Row::lastLogonSeconds of an entry that was on at the last logon and did
// not start: after every one that started.
inline constexpr double kDidNotStart = 1e12;

class LogonFacts {
 public:
  LogonFacts() = default;
  LogonFacts(const LogonFacts&) = delete;
  LogonFacts& operator=(const LogonFacts&) = delete;
  virtual ~LogonFacts() = default;
  // Fills Row::impact, Row::lastLogon and their sort keys of a row of
  // family `family` whose program file is known (Row::programFile); empty
  // while no measurement has come.
  virtual void describeLogon(Row& row, std::string_view family) const = 0;
};

}  // namespace velmora
