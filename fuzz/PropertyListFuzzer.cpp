// Reads bytes as an XML property list and, when it reads, as a text-replacement list.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/ApplePlistParser.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const kelvo::PropertyListValue value = kelvo::PropertyList::read(text);
    const bool recognised = kelvo::ApplePlistParser::looksLikeTextReplacements(value);
    const auto snippets = kelvo::ApplePlistParser::parse(value);
    if (recognised && snippets.empty()) std::abort();
    if (snippets.size() > value.array().size()) std::abort();
  } catch (const kelvo::PropertyListError&) {
  }
  return 0;
}
