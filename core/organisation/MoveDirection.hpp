#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The four arrow moves of the grid's selection. It has no coded form.
enum class MoveDirection : std::uint8_t { left, right, up, down };

template <>
struct RawValues<MoveDirection> {
  static constexpr std::array<std::pair<MoveDirection, std::string_view>, 4> table{{
      {MoveDirection::left, "left"},
      {MoveDirection::right, "right"},
      {MoveDirection::up, "up"},
      {MoveDirection::down, "down"},
  }};
};

}  // namespace kelvo
