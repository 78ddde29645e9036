#pragma once

// Groups the library's cards by project, by type, by when they were last used or by the month
// they were kept, against the user's calendar and the moment given. Pure: nothing is stored and
// no clock is read.
//
//   const Date now(700'000'000);
//   const std::vector<GroupableCard> cards{{.id = UUID::random(), .createdAt = now - 3'600},
//                                          {.id = UUID::random(), .createdAt = Date(0)}};
//   const Calendar calendar = Calendar::current();
//   const auto groups = CardOrganiser::groups(cards, CardGrouping::recency, now, calendar);
//   const std::string first = groups.front().title;  // "Today"
//   const std::string last = groups.back().title;    // "Earlier"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/organisation/CardGroup.hpp"
#include "core/organisation/CardGrouping.hpp"
#include "core/organisation/GroupableCard.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo::CardOrganiser {

/// The identifier of the group of cards that belong to no project.
inline constexpr std::string_view unsortedGroupID = "project-unsorted";

/// How recently something happened; raw values are the case names.
enum class RecencyBucket : std::uint8_t { today, yesterday, thisWeek, thisMonth, earlier };

/// The heading of a recency group ("Earlier this week"); localised.
std::string title(RecencyBucket bucket);
/// A lower-case short form ("this week"); not localised.
std::string_view shortLabel(RecencyBucket bucket);
KelvoIcon icon(RecencyBucket bucket);

/// Where the date grouping puts an instant: a recent bucket, or the month it lies in.
struct DateBucket {
  struct Recent {
    RecencyBucket bucket;
    friend bool operator==(const Recent&, const Recent&) = default;
  };
  /// The first moment of the month; the instant itself where the calendar gives no month.
  struct Month {
    Date start;
    // By value; a damaged instant (not a number) equals itself.
    friend bool operator==(const Month& a, const Month& b);
  };

  std::variant<Recent, Month> value;

  friend bool operator==(const DateBucket&, const DateBucket&) = default;
};

/// Today (also any later instant), yesterday, earlier this week (the calendar's week), earlier
/// this month, or earlier, in that order of tests.
RecencyBucket bucket(Date instant, Date now, const Calendar& calendar);
/// The recent bucket of the instant, or for an earlier one the month that holds it.
DateBucket dateBucket(Date instant, Date now, const Calendar& calendar);

/// The groups of `cards` under `grouping`. Project and type groups keep the cards' order;
/// recency and date groups put the latest first, then the smaller identifier. An instant that is
/// not a number counts as earlier than every real one.
std::vector<CardGroup> groups(std::span<const GroupableCard> cards, CardGrouping grouping, Date now,
                              const Calendar& calendar);

}  // namespace kelvo::CardOrganiser

namespace kelvo {

template <>
struct RawValues<CardOrganiser::RecencyBucket> {
  using B = CardOrganiser::RecencyBucket;
  static constexpr std::array<std::pair<B, std::string_view>, 5> table{{
      {B::today, "today"},
      {B::yesterday, "yesterday"},
      {B::thisWeek, "thisWeek"},
      {B::thisMonth, "thisMonth"},
      {B::earlier, "earlier"},
  }};
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::CardOrganiser::DateBucket> {
  size_t operator()(const kelvo::CardOrganiser::DateBucket& bucket) const noexcept;
};
