#include "core/search/SearchResult.hpp"
#include "platform/foundation/Hash.hpp"

size_t std::hash<kelvo::SearchResult>::operator()(
    const kelvo::SearchResult& result) const noexcept {
  std::size_t seed = std::hash<kelvo::SearchableCard>{}(result.card);
  kelvo::hashCombine(seed, std::hash<double>{}(result.score));
  for (const kelvo::SearchField field : result.matchedFields) {
    seed = seed * 31 + static_cast<std::size_t>(field) + 1;
  }
  return seed;
}
