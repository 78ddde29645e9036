// Arbitrary queries over a small fixed library with the office vocabulary: the search never
// crashes, never answers more than its limit and never names a card twice. The first byte
// picks the limit, so that small limits are tried too.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/search/SemanticSearch.hpp"
#include "core/search/StaticLexicon.hpp"
#include "fuzz/FuzzInput.hpp"

namespace {

kelvo::SearchableCard card(std::uint8_t n, std::string title, std::string content) {
  kelvo::UUID::Bytes bytes{};
  bytes[0] = n;
  return kelvo::SearchableCard(kelvo::UUID(bytes), kelvo::CardType::text, std::move(title),
                               std::move(content), "", {"billing"}, "Work", "", std::nullopt,
                               std::nullopt, n, std::nullopt);
}

const kelvo::SearchIndex& library() {
  static const kelvo::SearchIndex index = [] {
    const std::vector<kelvo::SearchableCard> cards{
        card(1, "Invoice for March", "rate and payment terms"),
        card(2, "Wi-Fi password", "network login credentials"),
        card(3, "Board slides", "pitch deck for the kickoff"),
        card(4, "Bank details", "IBAN sort code swift account"),
        card(5, "CV", "resume and biography"),
        card(6, "Crème brûlée", "東京 recipe, price 12 €"),
        card(7, "Timesheet", "billable hours logged"),
        card(8, "Q3 deck", "quote for the licence key")};
    return kelvo::SearchIndex(cards);
  }();
  return index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  if (size == 0) return 0;
  const std::int64_t limit = static_cast<std::int64_t>(data[0] % 12) - 2;
  const std::string_view query = fuzz::text(data + 1, size - 1);
  const SemanticSearch search(StaticLexicon::officeVocabulary(), {.maxVariantsPerTerm = 8,
                                                                  .maxIndexQueries = 20,
                                                                  .maxTerms = 8,
                                                                  .semanticWeight = 0.35,
                                                                  .limit = limit,
                                                                  .expansionBudget = 10,
                                                                  .literalSufficiency = 50});
  const auto results = search.search(query, library());
  fuzz::require(static_cast<std::int64_t>(results.size()) <= std::max<std::int64_t>(limit, 0));
  std::unordered_set<UUID> seen;
  for (const SemanticSearchResult& result : results) fuzz::require(seen.insert(result.id()).second);
  return 0;
}
