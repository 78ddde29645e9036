#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo::Remote {

/// The kind of one of the user's devices, stored and sent by raw value (also by beams).
enum class DeviceKind : std::uint8_t { iPhone, iPad, mac };

/// Whether a device of this kind can be driven; an iPhone is only ever the controller.
constexpr bool canHost(DeviceKind kind) { return kind != DeviceKind::iPhone; }

}  // namespace kelvo::Remote

template <>
struct kelvo::RawValues<kelvo::Remote::DeviceKind> {
  static constexpr std::array<std::pair<Remote::DeviceKind, std::string_view>, 3> table{{
      {Remote::DeviceKind::iPhone, "iPhone"},
      {Remote::DeviceKind::iPad, "iPad"},
      {Remote::DeviceKind::mac, "mac"},
  }};
};
