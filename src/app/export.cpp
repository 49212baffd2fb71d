#include "app/export.h"

#include <algorithm>
#include <cstdio>

#include "lang/language_table.h"

namespace velmora {

std::vector<ListedPane> listEveryPlace(const FamilyTable& families, bool describe) {
  std::vector<ListedPane> listed;
  for (const FamilyId id : families.ids()) {
    ListedPane p{id, families.family(id).make(families.familyLocations(id)), {}};
    p.rows = p.pane->list();
    if (describe) {
      for (Row& r : p.rows) p.pane->describe(r);
    }
    listed.push_back(std::move(p));
  }
  return listed;
}

CsvWriter exportEntries(const FamilyTable& families, const Translator& translator) {
  auto text = [&](const char* key) { return translator.translate(key); };
  CsvWriter csv;
  csv.record({text("_ExportLocation"), text("_Name"), text("_Type"), text("_Data"), text("_ExportState"),
              text("_Publisher"), text("_Status"), text("_SignedBy"), text("_Impact"), text("_LastLogon")});
  for (const ListedPane& listed : listEveryPlace(families)) {
    for (const Row& r : listed.rows) {
      const char* state = r.origin == RowOrigin::OffInWindows ? "_ExportStateOffInWindows"
                          : r.state == RowState::Live      ? "_ExportStateEnabled"
                                                           : "_ExportStateDisabled";
      csv.record({r.path, r.name, r.type, shownData(r), text(state), r.publisher, r.status, r.signedBy, r.impact,
                  r.lastLogon});
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
