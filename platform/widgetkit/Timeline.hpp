#pragma once

// What a widget's provider hands the host: the entries to show, each from its date on, and when
// to ask again. The host asks with a TimelineProviderContext that says the family, the size
// and the moment of the request:
//
//   struct Entry {
//     Date date;
//     std::int64_t remindersDue = 0;
//   };
//   const Timeline<Entry> timeline{{Entry{context.now, 2}, Entry{context.now + 3'600, 0}},
//                                  TimelineReloadPolicy::after(context.now + 3'600)};

#include <concepts>
#include <optional>
#include <vector>

#include "platform/foundation/Date.hpp"
#include "platform/widgetkit/Geometry.hpp"
#include "platform/widgetkit/WidgetFamily.hpp"

namespace kelvo::widgetkit {

/// A moment a widget shows: any value with a `date` member.
template <class Entry>
concept TimelineEntry = requires(const Entry& entry) {
  { entry.date } -> std::convertible_to<Date>;
};

/// When the host asks a provider for its next timeline.
class TimelineReloadPolicy {
 public:
  enum class Kind { atEnd, after, never };

  /// Ask again once the last entry's date has passed.
  static constexpr TimelineReloadPolicy atEnd() { return TimelineReloadPolicy(Kind::atEnd, {}); }
  /// Ask again at `date`.
  static constexpr TimelineReloadPolicy after(Date date) {
    return TimelineReloadPolicy(Kind::after, date);
  }
  /// Never ask again on a schedule.
  static constexpr TimelineReloadPolicy never() { return TimelineReloadPolicy(Kind::never, {}); }

  constexpr Kind kind() const { return kind_; }
  /// The date of `after`; none for the other kinds.
  constexpr std::optional<Date> date() const { return date_; }

  friend constexpr bool operator==(const TimelineReloadPolicy&,
                                   const TimelineReloadPolicy&) = default;

 private:
  constexpr TimelineReloadPolicy(Kind kind, std::optional<Date> date) : kind_(kind), date_(date) {}
  Kind kind_;
  std::optional<Date> date_;
};

/// The entries a widget shows, in date order, and when to ask for more.
template <TimelineEntry Entry>
struct Timeline {
  std::vector<Entry> entries;
  TimelineReloadPolicy policy = TimelineReloadPolicy::atEnd();
};

/// What the host tells a provider about the widget it asks for.
struct TimelineProviderContext {
  WidgetFamily family = WidgetFamily::systemSmall;
  /// True when the widget is shown in the gallery rather than placed.
  bool isPreview = false;
  /// The widget's size in points.
  Size displaySize = widgetkit::displaySize(WidgetFamily::systemSmall);
  /// The moment of the request; providers date their entries from it.
  Date now;
};

}  // namespace kelvo::widgetkit
