#include "app/export.h"

#include <algorithm>
#include <cstdio>

#include "lang/language_table.h"

namespace velmora {
namespace {

}  // namespace

CsvWriter exportEntries(const FamilyTable& families, const Translator& translator) {
  auto text = [&](const char* key) { return translator.translate(key); };
  CsvWriter csv;
  csv.record({text("_ExportLocation"), text("_Name"), text("_Type"), text("_Data"), text("_ExportState"),
              text("_Publisher"), text("_Status"), text("_SignedBy")});
  for (const FamilyId id : families.ids()) {
    const auto pane = families.family(id).make(families.familyLocations(id));
    for (Row r : pane->list()) {
      pane->describe(r);  // the signer too: the export asks for every row
      const char* state = r.origin == RowOrigin::OffInWindows ? "_ExportStateOffInWindows"
                          : r.state == RowState::Live      ? "_ExportStateEnabled"
                                                           : "_ExportStateDisabled";
      csv.record({r.path, r.name, r.type, shownData(r), text(state), r.publisher, r.status, r.signedBy});
    }
  }
  return csv;
}

std::string defaultExportName(int year, int month, int day) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
  return std::string("Velmora startup entries ") + date + ".csv";
}

}  // namespace velmora
