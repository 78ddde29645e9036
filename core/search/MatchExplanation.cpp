#include "core/search/MatchExplanation.hpp"

#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string MatchExplanation::sentence() const {
  switch (relation) {
    case TermRelation::exact:
      return localized("Matched %@", matchedTerm);
    case TermRelation::inflection:
      return localized("%@ — form of %@", matchedTerm, queryTerm);
    case TermRelation::synonym:
      return localized("%@ — means %@", matchedTerm, queryTerm);
    case TermRelation::related:
      return localized("%@ — related to %@", matchedTerm, queryTerm);
  }
  return localized("Matched %@", matchedTerm);
}

}  // namespace kelvo

size_t std::hash<kelvo::MatchExplanation>::operator()(
    const kelvo::MatchExplanation& explanation) const noexcept {
  std::size_t seed = std::hash<std::string>{}(explanation.queryTerm);
  kelvo::hashCombine(seed, std::hash<std::string>{}(explanation.matchedTerm));
  kelvo::hashCombine(seed, std::hash<kelvo::TermRelation>{}(explanation.relation));
  // A set iterates in one order whatever the order of insertion.
  for (const kelvo::SearchField field : explanation.fields) {
    kelvo::hashCombine(seed, std::hash<kelvo::SearchField>{}(field));
  }
  return seed;
}
