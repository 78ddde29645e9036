#include "platform/foundation/ContainmentQuery.hpp"

#include <algorithm>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::text {
namespace {

char lowerASCII(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// ASCII folds to ASCII by lowering letters alone, so an ASCII text is searched without ICU.
bool containsLoweredASCII(std::string_view text, std::string_view lowered) {
  const auto found = std::search(text.begin(), text.end(), lowered.begin(), lowered.end(),
                                 [](char a, char b) { return lowerASCII(a) == b; });
  return found != text.end() || lowered.empty();
}

}  // namespace

ContainmentQuery::ContainmentQuery(std::string_view query)
    : folded_(folded(query)), isASCII_(isASCII(folded_)) {}

bool ContainmentQuery::isFoundIn(std::string_view text) const {
  if (folded_.empty()) return false;
  if (isASCII(text)) return isASCII_ && containsLoweredASCII(text, folded_);
  return folded(text).find(folded_) != std::string::npos;
}

bool localizedStandardContains(std::string_view text, std::string_view query) {
  return ContainmentQuery(query).isFoundIn(text);
}

}  // namespace kelvo::text
