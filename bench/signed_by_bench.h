#pragma once
// (e) The registry pane with the Signed by column in view.
#include <windows.h>

#include "lang/language_table.h"

namespace velmora::bench {

// 1,000 live Run values naming 50 signed programs, the pane's refresh with
// column 6 moved into view: the first look, which checks the signatures of
// the rows shown, and the refreshes after it, which find them remembered.
void signedByPane(HINSTANCE instance, const Translator& translator, int runs);

}  // namespace velmora::bench
