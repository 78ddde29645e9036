#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The keyboard-shortcut reference sheet. Only the kinds of device it is shown on live here; the
/// sheet itself is the host's.
struct ShortcutReference {
  /// The Mac, or a touch device with a keyboard.
  enum class Surface : std::uint8_t { mac, touch };
};

template <>
struct RawValues<ShortcutReference::Surface> {
  static constexpr std::array<std::pair<ShortcutReference::Surface, std::string_view>, 2> table{{
      {ShortcutReference::Surface::mac, "mac"},
      {ShortcutReference::Surface::touch, "touch"},
  }};
};

}  // namespace kelvo
