#include "core/search/SemanticSearchResult.hpp"

#include "core/search/internal/SemanticHash.hpp"

size_t std::hash<kelvo::SemanticSearchResult>::operator()(
    const kelvo::SemanticSearchResult& result) const noexcept {
  std::size_t seed = std::hash<kelvo::SearchableCard>{}(result.card);
  kelvo::hashMix(seed, std::hash<double>{}(result.score));
  kelvo::hashMix(seed, std::hash<double>{}(result.literalScore));
  kelvo::hashMix(seed, std::hash<double>{}(result.semanticScore));
  for (const kelvo::SearchField field : result.matchedFields) {
    kelvo::hashMix(seed, std::hash<kelvo::SearchField>{}(field));
  }
  for (const kelvo::MatchExplanation& explanation : result.explanations) {
    kelvo::hashMix(seed, std::hash<kelvo::MatchExplanation>{}(explanation));
  }
  return seed;
}
