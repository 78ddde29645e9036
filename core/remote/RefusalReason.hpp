#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo::Remote {

/// Why a host turns a device away; sent by raw value in `refused` and in `AuthResponse`.
/// Which one to send is the host's decision.
enum class RefusalReason : std::uint8_t {
  wrongCode,
  codeExpired,
  tooManyAttempts,
  notPaired,
  unsupportedVersion,
  hostBusy,
  remoteControlOff,
};

/// The whole sentence shown for the refusal, localised.
std::string message(RefusalReason reason);

}  // namespace kelvo::Remote

template <>
struct kelvo::RawValues<kelvo::Remote::RefusalReason> {
  using R = Remote::RefusalReason;
  static constexpr std::array<std::pair<R, std::string_view>, 7> table{{
      {R::wrongCode, "wrongCode"},
      {R::codeExpired, "codeExpired"},
      {R::tooManyAttempts, "tooManyAttempts"},
      {R::notPaired, "notPaired"},
      {R::unsupportedVersion, "unsupportedVersion"},
      {R::hostBusy, "hostBusy"},
      {R::remoteControlOff, "remoteControlOff"},
  }};
};
