// Asks the link test about arbitrary bytes: it must answer as the rule spelled out with the full
// URL parse does, ignore white space at the ends, and never call a text holding white space
// inside a link.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/search/SmartFilter.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/model/WebLinkReference.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  const std::string_view input = kelvo::fuzz::text(data, size);
  const bool link = isLink(input);
  if (link != testing::isWebLinkByFullParse(input)) std::abort();
  if (link != isLink(" \t" + std::string(input) + "\n")) std::abort();
  if (link && text::containsAny(text::trimmed(input), text::CharacterClass::whitespaceAndNewline)) {
    std::abort();
  }
  return 0;
}
