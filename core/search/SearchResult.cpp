#include "core/search/SearchResult.hpp"

size_t std::hash<kelvo::SearchResult>::operator()(
    const kelvo::SearchResult& result) const noexcept {
  std::size_t seed = std::hash<kelvo::SearchableCard>{}(result.card);
  seed ^= std::hash<double>{}(result.score) + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
  for (const kelvo::SearchField field : result.matchedFields) {
    seed = seed * 31 + static_cast<std::size_t>(field) + 1;
  }
  return seed;
}
