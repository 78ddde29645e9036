#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/search/SearchableCard.hpp"

namespace kelvo::testing {

/// The texts and figures of a test card; anything left out is empty, absent or zero.
struct CardSpec {
  std::string title{};
  std::string content{};
  std::string extractedText{};
  std::vector<std::string> autoTags{};
  std::string shelfName{};
  std::string projectName{};
  std::optional<std::string> factLabel{};
  std::optional<std::string> sourceApp{};
  std::int64_t useCount = 0;
  std::optional<Date> lastUsedAt{};
  CardType type = CardType::text;
};

inline SearchableCard makeCard(CardSpec spec, UUID id = UUID::random()) {
  return SearchableCard(
      id, spec.type, std::move(spec.title), std::move(spec.content), std::move(spec.extractedText),
      std::move(spec.autoTags), std::move(spec.shelfName), std::move(spec.projectName),
      std::move(spec.factLabel), std::move(spec.sourceApp), spec.useCount, spec.lastUsedAt);
}

using Titles = std::vector<std::string>;

/// The titles of cards, or of results that hold a card, in order.
template <class Item>
Titles titles(const std::vector<Item>& items) {
  Titles out;
  for (const Item& item : items) {
    if constexpr (std::is_same_v<Item, SearchableCard>) {
      out.emplace_back(item.title());
    } else {
      out.emplace_back(item.card.title());
    }
  }
  return out;
}

}  // namespace kelvo::testing
