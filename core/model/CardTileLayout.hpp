#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// How a card's tile is laid out. It has no coded form.
enum class CardTileLayout : std::uint8_t { snippet, hero, page, attachment, value, link };

template <>
struct RawValues<CardTileLayout> {
  static constexpr std::array<std::pair<CardTileLayout, std::string_view>, 6> table{{
      {CardTileLayout::snippet, "snippet"},
      {CardTileLayout::hero, "hero"},
      {CardTileLayout::page, "page"},
      {CardTileLayout::attachment, "attachment"},
      {CardTileLayout::value, "value"},
      {CardTileLayout::link, "link"},
  }};
};

/// Whether the tile shows a picture of the card's content.
constexpr bool showsThumbnail(CardTileLayout layout) {
  return layout == CardTileLayout::hero || layout == CardTileLayout::page ||
         layout == CardTileLayout::link;
}

}  // namespace kelvo
