#include "core/search/TermVariant.hpp"
#include "platform/foundation/Hash.hpp"

size_t std::hash<kelvo::TermVariant>::operator()(const kelvo::TermVariant& variant) const noexcept {
  std::size_t seed = std::hash<std::string>{}(variant.term);
  kelvo::hashCombine(seed, std::hash<kelvo::TermRelation>{}(variant.relation));
  return seed;
}
