#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// Tables indexed by an enumeration: one row per case, in declaration order, each row naming
/// its case in a member `key`. Every such table checks its order at compile time and treats a
/// value outside the enumeration (only a cast can make one) the same way: as a programming
/// error that stops the process with the message given.
///
///   constexpr std::array<Hue, 7> hues{{{KelvoTileHue::blue, ...}, ...}};
///   static_assert(enumTableInOrder(hues));
///   const Hue& row = enumTableRow(hues, hue, "KelvoTileHue: not a hue");
template <class Row, std::size_t N>
constexpr bool enumTableInOrder(const std::array<Row, N>& table) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(table[i].key) != i) return false;
  }
  return true;
}

template <class Row, std::size_t N, class E>
const Row& enumTableRow(const std::array<Row, N>& table, E value, std::string_view notACase) {
  const auto index = static_cast<std::size_t>(value);
  if (index >= N) fatal(notACase);
  return table[index];
}

}  // namespace kelvo
