// Reads bytes as a saved search and as a bare card predicate: whatever decodes must encode,
// decode equal, and encode again to the same text.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/search/SavedSearch.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace {

void checkPredicate(const kelvo::Json& json) {
  using kelvo::CardPredicate;
  CardPredicate predicate;
  try {
    predicate = CardPredicate::decode(kelvo::JSONReader(json));
  } catch (const kelvo::DecodingError&) {
    return;
  }
  kelvo::Json written;
  predicate.encode(written);
  const std::string text = kelvo::json::write(written);
  const kelvo::Json reread = kelvo::json::parse(text);
  const CardPredicate again = CardPredicate::decode(kelvo::JSONReader(reread));
  if (!(again == predicate)) std::abort();
  if (std::hash<CardPredicate>{}(again) != std::hash<CardPredicate>{}(predicate)) std::abort();
  (void)predicate.name();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::SavedSearch;
  const std::string_view input = kelvo::fuzz::text(data, size);
  kelvo::Json json;
  try {
    json = kelvo::json::parse(input);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  checkPredicate(json);
  try {
    const SavedSearch search = SavedSearch::decode(kelvo::JSONReader(json));
    const std::string text = search.encoded();
    const SavedSearch again = SavedSearch::decoded(text);
    if (!(again == search) || again.encoded() != text) std::abort();
    (void)search.emptyStateMessage();
  } catch (const kelvo::DecodingError&) {
  }
  return 0;
}
