#pragma once
// The synthetic library of the search benchmarks with the 56 office words planted at fixed mid
// ranks, for the benchmarks of meaning-aware search.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/SyntheticLibrary.hpp"
#include "core/search/StaticLexicon.hpp"

namespace kelvo::bench {

// Office word i takes the place of the synthetic word at rank 1,000 + 160 i (up to 9,800),
// clear of the ranks the literal benchmarks anchor their words at.
inline std::vector<SearchableCard> plantedCards() {
  const SyntheticLibrary& library = syntheticLibrary();
  std::unordered_map<std::string, std::string> planted;
  std::size_t i = 0;
  for (const auto& group : StaticLexicon::officeVocabularyGroups()) {
    for (const std::string& word : group) planted[library.vocabulary[1'000 + 160 * i++]] = word;
  }
  const auto replace = [&](std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
      const std::size_t end = std::min(text.find(' ', at), text.size());
      std::string word(text.substr(at, end - at));
      const bool capital = !word.empty() && word[0] >= 'A' && word[0] <= 'Z';
      if (capital) word[0] = static_cast<char>(word[0] + 32);
      if (const auto found = planted.find(word); found != planted.end()) word = found->second;
      if (capital) word[0] = static_cast<char>(word[0] - 32);
      out += (at == 0 ? "" : " ") + word;
      at = end + 1;
    }
    return out;
  };
  std::vector<SearchableCard> cards;
  cards.reserve(library.cards.size());
  for (const SearchableCard& c : library.cards) {
    std::vector<std::string> tags;
    for (const std::string_view tag : c.autoTags()) tags.push_back(replace(tag));
    std::optional<std::string> label;
    if (c.factLabel()) label = replace(*c.factLabel());
    cards.emplace_back(c.id(), c.type(), replace(c.title()), replace(c.content()),
                       c.extractedText(), std::move(tags), c.shelfName(), c.projectName(),
                       std::move(label), c.sourceApp(), c.useCount(), c.lastUsedAt());
  }
  return cards;
}

inline const std::vector<SearchableCard>& plantedLibrary() {
  static const std::vector<SearchableCard> planted = plantedCards();
  return planted;
}

}  // namespace kelvo::bench
