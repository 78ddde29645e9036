// Uses the library as an outside project does: the installed headers and kelvo::core alone.
#include <cstdio>
#include <vector>

#include "core/search/SearchIndex.hpp"
#include "core/widget/KelvoURL.hpp"
#include "platform/foundation/UUID.hpp"

int main() {
  using namespace kelvo;
  const std::vector<SearchableCard> cards{
      SearchableCard(UUID::random(), CardType::text, "Tax return 2026", "", "", {}, "Unsorted", "",
                     std::nullopt, std::nullopt, 0, std::nullopt)};
  const SearchIndex index(cards);
  const auto results = index.search("tax", 10);
  const auto link = KelvoURL::parse("kelvo://keep");
  if (!link) return 1;
  std::printf("consumer: %zu result for \"tax\"\n", results.size());
  return results.size() == 1 ? 0 : 1;
}
