#pragma once

// A device this one has paired with, remembered with the resume token it presents instead of a new
// code. The host application stores these records:
//
//   const std::string token = Remote::PairedDevice::newToken();  // 64 hexadecimal digits
//   const Remote::PairedDevice phone{
//       UUID::random(), "Ann's iPhone", Remote::DeviceKind::iPhone, Date(0), {}, token};
//   const std::string stored = phone.encoded();  // kept by the host application
//   const bool resumes = Remote::PairedDevice::decoded(stored).tokenMatches(token);  // true

#include <optional>
#include <string>
#include <string_view>

#include "core/remote/DeviceKind.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
class JSONReader;
}

namespace kelvo::Remote {

/// A device this one has paired with, remembered with the resume token it presents instead of a
/// new code. The host application stores these records.
struct PairedDevice {
  UUID id;
  std::string name;
  DeviceKind kind = DeviceKind::iPhone;
  Date pairedAt;
  std::optional<Date> lastSeenAt;
  std::string token;

  /// 32 random bytes as 64 lower-case hexadecimal digits.
  static std::string newToken();

  /// SHA-256 of the token, 0x1F, "resume", 0x1F and the service type. Only the token enters.
  Bytes preSharedKey() const;
  /// Whether `candidate` is the stored token, compared in constant time. False whenever the
  /// stored token is not 64 lower-case hexadecimal digits: an empty or short one would give a
  /// key anyone can compute.
  bool tokenMatches(std::string_view candidate) const;

  /// {"id","name","kind","pairedAt","lastSeenAt"?,"token"}, dates as seconds since 2001.
  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; a missing or null "lastSeenAt" is absent. A token that is not 64
  /// lower-case hexadecimal digits is data corrupted: `newToken` never makes one, and its
  /// `preSharedKey` would be computable by anyone.
  static PairedDevice decode(const JSONReader& reader);
  std::string encoded() const;
  static PairedDevice decoded(std::string_view json);

  /// Ordinary equality of the six fields (the token compared without early exit); authentication
  /// goes through `tokenMatches`.
  friend bool operator==(const PairedDevice& a, const PairedDevice& b);
};

}  // namespace kelvo::Remote
