#pragma once

// Stops a host from accepting pairing codes after too many wrong ones. Keep one per host and ask it
// before a code is looked at: while it is locked, answer tooManyAttempts without checking the code,
// even a right one; a right code calls recordSuccess, a wrong one recordFailure:
//
//   const Date now(700'000'000);
//   Remote::PairingAttemptLimiter limiter(/*maximumAttempts=*/3, /*lockoutDuration=*/300);
//   for (int wrong = 0; wrong < 3; ++wrong) limiter.recordFailure(now);
//   const bool locked = limiter.isLocked(now + 60);  // true: answer tooManyAttempts
//   const bool open = !limiter.isLocked(now + 300);  // true: the lockout is over

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/foundation/Date.hpp"

namespace kelvo::Remote {

/// Stops a host from accepting pairing codes after too many wrong ones. Keep one per host, not
/// per connection, and ask it before a code is looked at: while it is locked, answer
/// `tooManyAttempts` without checking the code, even a right one.
class PairingAttemptLimiter {
 public:
  /// Any values are taken as given: at most 1 attempt locks on every failure; a duration of 0
  /// counts only failures at the same instant or later, and a lockout ends at once.
  PairingAttemptLimiter(std::int64_t maximumAttempts, double lockoutDuration)
      : maximumAttempts_(maximumAttempts), lockoutDuration_(lockoutDuration) {}

  std::int64_t maximumAttempts() const { return maximumAttempts_; }
  double lockoutDuration() const { return lockoutDuration_; }

  /// Before the end of the last lockout; at that instant it is open again.
  bool isLocked(Date at) const;
  /// Counts a wrong code at `at` with those no older than the duration; returns whether this one
  /// locked the limiter (until `at` + duration), which starts a fresh count.
  bool recordFailure(Date at);
  /// Forgets every failure and any lockout.
  void recordSuccess();
  /// The maximum less the failures stored, never negative; stale failures go only with the
  /// next failure recorded.
  std::int64_t remainingAttempts() const;

  friend bool operator==(const PairingAttemptLimiter&, const PairingAttemptLimiter&) = default;

 private:
  std::int64_t maximumAttempts_;
  double lockoutDuration_;
  std::vector<Date> failures_;
  std::optional<Date> lockedUntil_;
};

}  // namespace kelvo::Remote
