#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/Locale.hpp"

namespace kelvo {

/// A time zone by its IANA identifier. The current time zone is a process setting.
class TimeZone {
 public:
  /// The zone of an IANA identifier ("America/New_York", "UTC"); none for an unknown one.
  static std::optional<TimeZone> named(std::string_view identifier);
  static TimeZone utc();

  /// The process's current zone: the one last set, else the environment's (TZ), else UTC.
  static TimeZone current();
  static void setCurrent(const TimeZone& zone);

  const std::string& identifier() const { return identifier_; }
  /// The zone's long generic name in `locale`, one name for standard and daylight time
  /// ("Central European Time" for Europe/Paris in en_US); the identifier when ICU has none.
  std::string localizedGenericName(const Locale& locale) const;
  /// Offset from UTC at `date`, in seconds, daylight saving included.
  int secondsFromGMT(Date date) const;

  friend bool operator==(const TimeZone&, const TimeZone&) = default;

 private:
  explicit TimeZone(std::string identifier) : identifier_(std::move(identifier)) {}
  std::string identifier_;
};

}  // namespace kelvo
