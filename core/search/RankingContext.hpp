#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {

class Calendar;

/// The moment a ready row is ranked for: the application the user is in, the hour of the day,
/// the shelves whose cards belong to working hours, and the current time.
struct RankingContext {
  /// Shelf names, compared exactly (case-sensitive, canonically equivalent texts alike).
  using ShelfNames = std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual>;

  /// The application in front, in the form of `SearchableCard::sourceApp`; none when unknown.
  std::optional<std::string> hostApp;
  /// Hour of the day, 0 to 23, in the caller's calendar.
  std::int64_t hour = 0;
  ShelfNames workShelfNames;
  Date now;

  /// 9 to 17 o'clock inclusive; anything outside 0 to 23 is outside.
  bool isWorkingHours() const;

  /// The context for `now`: its hour in `calendar`, and the shelves "Work" and "Clients".
  static RankingContext current(std::optional<std::string> hostApp, Date now,
                                const Calendar& calendar);
};

}  // namespace kelvo
