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

inline SearchableCard makeCard(const CardSpec& spec, UUID id = UUID::random()) {
  return SearchableCard({.id = id,
                         .type = spec.type,
                         .title = spec.title,
                         .content = spec.content,
                         .extractedText = spec.extractedText,
                         .autoTags = spec.autoTags,
                         .shelfName = spec.shelfName,
                         .projectName = spec.projectName,
                         .factLabel = spec.factLabel,
                         .sourceApp = spec.sourceApp,
                         .useCount = spec.useCount,
                         .lastUsedAt = spec.lastUsedAt});
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
