#pragma once
// File > Export and `velmora.exe /export FILE`: every entry of every place,
// live and disabled, once (not once a tree node), as CSV.
#include <memory>
#include <string>
#include <vector>

#include "core/csv.h"
#include "family/families.h"

namespace velmora {

class Translator;

// One family over the places listed, and the rows it listed there.
struct ListedPane {
  FamilyId family;
  std::unique_ptr<EntryFamily> pane;
  std::vector<Row> rows;
};

// Every entry of every place, live and disabled, once each: each family
// that owns entries listed once over all the places its nodes show (not once
// a node), in the table's order. With `describe` every row is completed as
// a pane completes the rows on screen (publisher, file missing, signer), so
// every program file is read. The export and velmorac both list this way.
std::vector<ListedPane> listEveryPlace(const FamilyTable& families, bool describe = true);

// Lists each family once over all the places its nodes show and writes a
// header and one record an entry: location, name, type, command, state,
// publisher, status, signed by,
// impact and last logon (what Windows measured of the last logon). Texts come from the language table.
CsvWriter exportEntries(const FamilyTable& families, const Translator& translator);

// "Velmora startup entries YYYY-MM-DD.csv".
std::string defaultExportName(int year, int month, int day);

}  // namespace velmora
