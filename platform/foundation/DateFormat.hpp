#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Locale.hpp"

namespace kelvo {

/// Writes dates as a locale does, in a calendar's time zone. Copies share one formatter; any
/// thread may use it.
class DateFormatter {
 public:
  enum class Style { none, shortStyle, mediumStyle, longStyle, fullStyle };

  /// The locale's styles. In en_US a short time is "9:00 AM" (ICU 72 puts U+202F, a narrow
  /// no-break space, before AM and PM) and a medium date "Dec 12, 2026".
  DateFormatter(Style date, Style time, const Calendar& calendar = Calendar::current(),
                const Locale& locale = Locale::current());

  /// The locale's own pattern for a skeleton of fields: "MMMMyyyy" gives "December 2026" in
  /// en_US and "Dezember 2026" in de_DE; "EEEdMMM" gives "Sat, Dec 12".
  static DateFormatter fromTemplate(std::string_view skeleton,
                                    const Calendar& calendar = Calendar::current(),
                                    const Locale& locale = Locale::current());
  /// A fixed pattern: "EEEE" is the wide weekday name ("Saturday").
  static DateFormatter fromPattern(std::string_view pattern,
                                   const Calendar& calendar = Calendar::current(),
                                   const Locale& locale = Locale::current());

  std::string format(Date date) const;
  /// The pattern in use, in ICU's notation.
  std::string pattern() const;

  struct Engine;  // ICU's formatter, private to DateFormat.cpp

 private:
  explicit DateFormatter(std::shared_ptr<Engine> engine) : engine_(std::move(engine)) {}

  std::shared_ptr<Engine> engine_;
};

/// How far `date` lies from `now`, in the largest whole unit that is not zero, as a locale
/// says it: "in 2 days", "3 hours ago", "in 0 seconds".
std::string formatRelative(Date date, Date now, const Calendar& calendar = Calendar::current(),
                           const Locale& locale = Locale::current());

}  // namespace kelvo
