#pragma once

// The six-digit code one device shows and the user enters on the other to pair them, valid for five
// minutes. Wrong attempts are counted by a PairingAttemptLimiter, asked first:
//
//   const Date now(700'000'000);
//   const std::optional<Remote::PairingCode> code = Remote::PairingCode::make("042195", now);
//   const std::string shown = code->formatted();  // "042 195"
//   const bool accepted = !code->isExpired(now + 60) && code->matches("042195");  // true
//   const bool late = code->isExpired(now + 301);  // true: five minutes have passed
//   const Remote::PairingCode fresh = Remote::PairingCode::random(now);  // six random digits

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::Remote {

/// The six-digit code one device shows and the user enters on the other to pair them. Valid for
/// five minutes; wrong attempts are counted by `PairingAttemptLimiter`, asked first.
class PairingCode {
 public:
  static constexpr double lifetime = 300.0;
  static constexpr int digitCount = 6;
  /// A source of uniformly random 64-bit values.
  using RandomSource = std::function<std::uint64_t()>;

  /// None unless `digits` is exactly six characters, each a number character (its first scalar
  /// has a numeric type: full-width, Arabic-Indic and "½" pass).
  static std::optional<PairingCode> make(std::string digits, Date createdAt);
  /// Six ASCII digits drawn uniformly (values that would bias a digit are drawn again), created
  /// at `now`.
  static PairingCode random(Date now, const RandomSource& source = systemSource());

  const std::string& digits() const { return digits_; }
  Date createdAt() const { return createdAt_; }

  /// Strictly more than `lifetime` after `createdAt`; never before it.
  bool isExpired(Date moment) const;
  /// The first three characters, a space, the last three: "042 195".
  std::string formatted() const;
  /// Whether `candidate` is these digits byte for byte, in time that depends only on the
  /// length: nothing trimmed or normalised.
  bool matches(std::string_view candidate) const;
  /// SHA-256 of the digits, 0x1F and the service type: the same on every device that knows
  /// the digits.
  Bytes preSharedKey() const;

  /// Ordinary equality of digits and dates; authentication goes through `matches`.
  friend bool operator==(const PairingCode&, const PairingCode&) = default;

 private:
  PairingCode(std::string digits, Date createdAt)
      : digits_(std::move(digits)), createdAt_(createdAt) {}
  static RandomSource systemSource();

  std::string digits_;
  Date createdAt_;
};

}  // namespace kelvo::Remote
