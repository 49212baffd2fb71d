#pragma once
// The one formatter for translated texts that carry values. Language files
// are untrusted input: only %s and %% mean anything; every other conversion
// is printed as it stands, extra values are ignored and missing ones are empty.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string safeFormat(std::string_view format, const std::vector<std::string>& values);

}  // namespace velmora
