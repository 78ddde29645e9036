// Asks the link test about arbitrary bytes: it must answer, ignore white space at the ends,
// and never call a text holding white space inside a link.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/search/SmartFilter.hpp"
#include "platform/foundation/Text.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  const std::string_view input = kelvo::fuzz::text(data, size);
  const bool link = isLink(input);
  if (link != isLink(" \t" + std::string(input) + "\n")) std::abort();
  if (link && text::containsAny(text::trimmed(input), text::CharacterClass::whitespaceAndNewline)) {
    std::abort();
  }
  return 0;
}
