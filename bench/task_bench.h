#pragma once
#include "lang/language_table.h"

namespace velmora::bench {

// Prints the scheduled-tasks rows of the benchmark.
void scheduledTasks(const Translator& translator, int runs);

}  // namespace velmora::bench
