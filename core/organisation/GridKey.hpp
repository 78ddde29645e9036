#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The keys the card grid may handle. It has no coded form.
enum class GridKey : std::uint8_t {
  returnKey,
  deleteKey,
  forwardDeleteKey,
  space,
  up,
  down,
  left,
  right,
};

template <>
struct RawValues<GridKey> {
  static constexpr std::array<std::pair<GridKey, std::string_view>, 8> table{{
      {GridKey::returnKey, "returnKey"},
      {GridKey::deleteKey, "deleteKey"},
      {GridKey::forwardDeleteKey, "forwardDeleteKey"},
      {GridKey::space, "space"},
      {GridKey::up, "up"},
      {GridKey::down, "down"},
      {GridKey::left, "left"},
      {GridKey::right, "right"},
  }};
};

/// The grid key of a Mac virtual key code (keypad Enter acts as Return); none for any other
/// code, which the caller lets pass.
constexpr std::optional<GridKey> gridKey(std::int64_t keyCode) {
  switch (keyCode) {
    case 36:
    case 76:
      return GridKey::returnKey;
    case 51:
      return GridKey::deleteKey;
    case 117:
      return GridKey::forwardDeleteKey;
    case 49:
      return GridKey::space;
    case 126:
      return GridKey::up;
    case 125:
      return GridKey::down;
    case 123:
      return GridKey::left;
    case 124:
      return GridKey::right;
    default:
      return std::nullopt;
  }
}

}  // namespace kelvo
