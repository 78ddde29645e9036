#pragma once

// Moments as the system stores and sends them. Rules take `now` as an argument, or read a Clock
// (Clock.hpp) they were given, never the system's clock, so that every rule about time can be
// tested at any moment; days and hours are the business of Calendar.hpp:
//
//   const Date capturedAt = Date::fromUnixTime(1'700'000'000);
//   const Date due = capturedAt + 14 * 86'400;  // fourteen days later
//   const bool outdated = now >= due;
//   const double stored = due.timeIntervalSinceReferenceDate();  // the number JSON holds

#include <compare>
#include <functional>

namespace kelvo {

/// A span of time in seconds.
using TimeInterval = double;

/// A moment in time: seconds since 2001-01-01 00:00:00 UTC.
class Date {
 public:
  /// Seconds from the Unix epoch to 2001-01-01 00:00:00 UTC.
  static constexpr TimeInterval unixEpochToReferenceDate = 978'307'200.0;

  /// The reference date itself (2001-01-01 00:00:00 UTC). Code takes `now` from a Clock.
  constexpr Date() = default;
  constexpr explicit Date(TimeInterval sinceReferenceDate) : seconds_(sinceReferenceDate) {}

  static constexpr Date fromUnixTime(TimeInterval sinceUnixEpoch) {
    return Date(sinceUnixEpoch - unixEpochToReferenceDate);
  }
  /// 0001-01-01 00:00:00 UTC.
  static constexpr Date distantPast() { return Date(-63'114'076'800.0); }
  /// 4001-01-01 00:00:00 UTC.
  static constexpr Date distantFuture() { return Date(63'113'904'000.0); }

  constexpr TimeInterval timeIntervalSinceReferenceDate() const { return seconds_; }
  constexpr TimeInterval timeIntervalSince1970() const {
    return seconds_ + unixEpochToReferenceDate;
  }
  constexpr TimeInterval timeIntervalSince(Date other) const { return seconds_ - other.seconds_; }
  constexpr Date addingTimeInterval(TimeInterval interval) const {
    return Date(seconds_ + interval);
  }

  constexpr Date& operator+=(TimeInterval interval) {
    seconds_ += interval;
    return *this;
  }
  constexpr Date& operator-=(TimeInterval interval) {
    seconds_ -= interval;
    return *this;
  }
  friend constexpr Date operator+(Date date, TimeInterval interval) { return date += interval; }
  friend constexpr Date operator-(Date date, TimeInterval interval) { return date -= interval; }
  friend constexpr TimeInterval operator-(Date a, Date b) { return a.seconds_ - b.seconds_; }

  friend constexpr bool operator==(Date, Date) = default;
  friend constexpr auto operator<=>(Date a, Date b) { return a.seconds_ <=> b.seconds_; }

 private:
  TimeInterval seconds_ = 0;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::Date> {
  size_t operator()(kelvo::Date date) const noexcept {
    return std::hash<double>{}(date.timeIntervalSinceReferenceDate());
  }
};
