#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/foundation/Date.hpp"

namespace kelvo {

/// Where the time comes from. Code takes a Clock (or `now`) and never reads the system's clocks
/// itself, so that tests can drive time by hand.
class Clock {
 public:
  virtual ~Clock() = default;

  /// The wall-clock time, which the user or the network may set back or forward.
  virtual Date now() const = 0;
  /// Seconds on a clock that never goes back and keeps counting while the machine sleeps. Only
  /// the difference between two readings means anything: use it for deadlines and timeouts.
  virtual TimeInterval continuousNow() const = 0;

  /// The system's clocks (CLOCK_REALTIME and CLOCK_BOOTTIME).
  static const Clock& system();
};

/// A clock that moves only when told; safe to read and move from several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(Date now = Date()) : now_(now) {}

  Date now() const override;
  TimeInterval continuousNow() const override;

  /// Moves both clocks forward; a negative interval is a programming error.
  void advance(TimeInterval seconds);
  /// Sets the wall clock alone, as when the user changes the time; the continuous clock stays.
  void set(Date now);

  /// Waits until the continuous clock has been read `count` times since the clock was made, so
  /// that a test moves it only once the code it drives has taken its starting time.
  void waitForContinuousReadings(std::uint64_t count) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable read_;
  Date now_;
  TimeInterval continuous_ = 0;
  mutable std::uint64_t continuousReadings_ = 0;
};

}  // namespace kelvo
