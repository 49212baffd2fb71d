#pragma once
#include "lang/language_table.h"

namespace velmora::bench {

// Prints the packaged-apps rows of the benchmark.
void packagedApps(const Translator& translator, int runs);

}  // namespace velmora::bench
