#pragma once
// File > Export and `velmora.exe /export FILE`: every entry of every place,
// live and disabled, once (not once a tree node), as CSV.
#include <string>

#include "core/csv.h"
#include "family/families.h"

namespace velmora {

class Translator;

// Lists each family once over all the places its nodes show and writes a
// header and one record an entry: location, name, type, command, state,
// publisher, status, signed by. Texts come from the language table.
CsvWriter exportEntries(const FamilyTable& families, const Translator& translator);

// "Velmora startup entries YYYY-MM-DD.csv".
std::string defaultExportName(int year, int month, int day);

}  // namespace velmora
