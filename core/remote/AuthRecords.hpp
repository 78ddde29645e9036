#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/remote/DeviceInfo.hpp"
#include "core/remote/RefusalReason.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo::Remote {

/// Whether a device proves a fresh pairing code or the resume token of an earlier pairing.
enum class AuthMode : std::uint8_t { pair, resume };

/// A device asking to be let in, with its proof. Written {"device","mode","proof"}, the proof
/// in Base64; all three required.
struct AuthRequest {
  DeviceInfo device;
  AuthMode mode = AuthMode::pair;
  Bytes proof;

  void encode(OrderedJson& json) const;
  static AuthRequest decode(const JSONReader& reader);
  /// Reads a received request as messages are read (they arrive before anyone has
  /// authenticated): members it does not know are dropped unbuilt, and a document denser in
  /// values than any real request is refused. Throws `DecodingError`.
  static AuthRequest decoded(std::string_view json);
  friend bool operator==(const AuthRequest&, const AuthRequest&) = default;
};

/// The host's answer. Only "accepted" is required; absent fields are left out, and a missing or
/// null member reads as absent.
struct AuthResponse {
  bool accepted = false;
  std::optional<RefusalReason> refusal;
  std::optional<std::string> token;
  std::optional<DeviceInfo> host;

  /// Not accepted, for `reason`, with no token and no host.
  static AuthResponse refused(RefusalReason reason) { return {false, reason, {}, {}}; }

  void encode(OrderedJson& json) const;
  static AuthResponse decode(const JSONReader& reader);
  /// Reads a received response as `AuthRequest::decoded` reads a request.
  static AuthResponse decoded(std::string_view json);
  /// Tokens compare as text: this is ordinary equality, never an authentication check.
  friend bool operator==(const AuthResponse& a, const AuthResponse& b);
};

}  // namespace kelvo::Remote

template <>
struct kelvo::RawValues<kelvo::Remote::AuthMode> {
  static constexpr std::array<std::pair<Remote::AuthMode, std::string_view>, 2> table{{
      {Remote::AuthMode::pair, "pair"},
      {Remote::AuthMode::resume, "resume"},
  }};
};
