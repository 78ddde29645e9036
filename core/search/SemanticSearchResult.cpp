#include "core/search/SemanticSearchResult.hpp"
#include "platform/foundation/Hash.hpp"

size_t std::hash<kelvo::SemanticSearchResult>::operator()(
    const kelvo::SemanticSearchResult& result) const noexcept {
  std::size_t seed = std::hash<kelvo::SearchableCard>{}(result.card);
  kelvo::hashCombine(seed, std::hash<double>{}(result.score));
  kelvo::hashCombine(seed, std::hash<double>{}(result.literalScore));
  kelvo::hashCombine(seed, std::hash<double>{}(result.semanticScore));
  for (const kelvo::SearchField field : result.matchedFields) {
    kelvo::hashCombine(seed, std::hash<kelvo::SearchField>{}(field));
  }
  for (const kelvo::MatchExplanation& explanation : result.explanations) {
    kelvo::hashCombine(seed, std::hash<kelvo::MatchExplanation>{}(explanation));
  }
  return seed;
}
