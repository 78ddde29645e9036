#pragma once

// The widget snapshot, made and read. The host builds one from the library's searchable cards
// and its reminders' fire times whenever they change and stores it (KelvoWidgetSnapshotStore.hpp);
// a widget decodes it and shows its rows and the due summary:
//
//   const KelvoWidgetSnapshot snapshot = KelvoWidgetSnapshot::build(
//       cards, reminderFireAts, ranking, KelvoWidgetSnapshot::cardLimit, now, calendar);
//   const std::string stored = snapshot.encoded();  // {"cards":[…],"remindersDue":2,…}
//   const KelvoWidgetSnapshot read = KelvoWidgetSnapshot::decode(stored);
//   const std::string due = read.dueSummary();  // "2 due"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/CardType.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class Calendar;
class SearchableCard;
struct RankingContext;

/// One row of the widget snapshot: a card with its title already shortened for a row.
struct KelvoWidgetCard {
  UUID id;
  std::string title;
  CardType type = CardType::text;

  /// The link that opens this card: "kelvo://card/" and the identifier.
  std::optional<URL> link() const;

  friend bool operator==(const KelvoWidgetCard&, const KelvoWidgetCard&) = default;
};

/// What the host application hands a widget through the shared container: the cards the user
/// reaches for most, the reminders due today and when it was captured. Stored as compact JSON
/// with the keys "cards", "remindersDue" and "capturedAt", in that order.
class KelvoWidgetSnapshot {
 public:
  /// The number of cards a widget snapshot holds; callers pass it to `build`.
  static constexpr std::int64_t cardLimit = 4;
  /// One day.
  static constexpr TimeInterval staleAfter = 86'400;
  /// Fourteen days.
  static constexpr TimeInterval outdatedAfter = 1'209'600;

  KelvoWidgetSnapshot(std::vector<KelvoWidgetCard> cards, std::int64_t remindersDue,
                      Date capturedAt)
      : cards_(std::move(cards)), remindersDue_(remindersDue), capturedAt_(capturedAt) {}

  /// The best `limit` cards by the ready-row ranking with their row titles, the reminders due
  /// by the day of `now` in `calendar`, captured at `now`. A negative limit counts as 0.
  static KelvoWidgetSnapshot build(std::span<const SearchableCard> cards,
                                   std::span<const Date> reminderFireAts,
                                   const RankingContext& context, std::int64_t limit, Date now,
                                   const Calendar& calendar);

  /// How many of `fireAts` are due: every one before `now`, every one later on the calendar
  /// day of `now`, and every one that is no number (NaN, infinite); one past the calendar's
  /// reach is not.
  static std::int64_t remindersDue(std::span<const Date> fireAts, Date now,
                                   const Calendar& calendar);

  const std::vector<KelvoWidgetCard>& cards() const { return cards_; }
  /// Reminders due today, overdue ones included.
  std::int64_t remindersDue() const { return remindersDue_; }
  Date capturedAt() const { return capturedAt_; }

  /// No cards and no reminders due.
  bool isEmpty() const { return cards_.empty() && remindersDue_ == 0; }
  /// Whether the age has reached `staleAfter`; a capture in the future has age 0.
  bool isStale(Date now) const;
  /// Whether the age has reached `outdatedAfter`; a capture in the future has age 0.
  bool isOutdated(Date now) const;

  /// "Nothing due", "1 due", "3 due"; localised.
  std::string dueSummary() const;
  /// "No reminders due", "1 reminder due", "3 reminders due"; localised.
  std::string dueAccessibilityLabel() const;

  /// The stored form: compact JSON, keys in the order above, dates as seconds since 2001,
  /// identifiers in upper case. Throws `EncodingError` for a date that is not finite.
  std::string encoded() const;
  /// Reads the stored form: every key required, other keys ignored, identifiers in either
  /// case. Throws `DecodingError` for text that is not JSON, a missing key, a wrong type or a
  /// card type that is none of the five.
  static KelvoWidgetSnapshot decode(std::string_view json);

  friend bool operator==(const KelvoWidgetSnapshot&, const KelvoWidgetSnapshot&) = default;

 private:
  std::vector<KelvoWidgetCard> cards_;
  std::int64_t remindersDue_ = 0;
  Date capturedAt_;
};

}  // namespace kelvo
