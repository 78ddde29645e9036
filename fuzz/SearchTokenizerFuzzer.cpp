// Splits arbitrary bytes into terms and checks what every term list must satisfy, and that
// splitting with a memo (kept across inputs) gives the same terms; then indexes the bytes as a
// card's title and searches for them, which must find that card.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/SearchIndex.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Utf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  const std::string_view input = kelvo::fuzz::text(data, size);
  const std::vector<std::string> terms = SearchIndex::tokenize(input);

  for (const std::string& term : terms) {
    if (term.empty() || !isValidUtf8(term)) std::abort();
    std::size_t scalars = 0;
    bool alone = false;
    for (std::size_t i = 0; i < term.size(); ++scalars) {
      const char32_t scalar = nextScalar(term, i);
      if (!SearchTokenizer::isWordScalar(scalar)) std::abort();
      alone = alone || SearchTokenizer::standsAlone(scalar);
    }
    if (alone && scalars != 1) std::abort();
  }

  static SearchTokenizer::Memo memo(64);
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::string> remembered;
    SearchTokenizer::forEachTerm(input, memo,
                                 [&](std::string_view term) { remembered.emplace_back(term); });
    if (remembered != terms) std::abort();
  }

  const std::vector<SearchableCard> cards = {
      SearchableCard(UUID(), CardType::text, std::string(input), "", "", {}, "", "", std::nullopt,
                     std::nullopt, 0, std::nullopt)};
  const SearchIndex index(cards);
  const auto results = index.search(input, 5);
  if (results.size() != (terms.empty() ? 0u : 1u)) std::abort();
  if (index.termCount() > terms.size()) std::abort();
  return 0;
}
