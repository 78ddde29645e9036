#include "core/organisation/CardOrganiser.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>

#include "core/design/KelvoIcon.hpp"
#include "core/organisation/internal/LatestFirst.hpp"
#include "core/organisation/internal/RecencyBounds.hpp"
#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo::CardOrganiser {
namespace {

using Component = Calendar::Component;
using organisation_internal::latestFirst;
using organisation_internal::Pile;
using organisation_internal::RecencyBounds;

// Damaged instants (not a number) sort as one value earlier than every real instant.
double sortKey(Date instant) {
  const double seconds = instant.timeIntervalSinceReferenceDate();
  return std::isnan(seconds) ? -std::numeric_limits<double>::infinity() : seconds;
}

CardGroup recentGroup(std::string_view prefix, RecencyBucket bucket, const Pile& pile) {
  return {std::string(prefix) + std::string(rawValue(bucket)), title(bucket), icon(bucket),
          std::nullopt, latestFirst(pile)};
}

struct Project {
  UUID id;
  const GroupableCard* first;
  double latestUse = std::numeric_limits<double>::lowest();
  std::vector<UUID> cardIDs;
};

std::vector<CardGroup> byProject(std::span<const GroupableCard> cards) {
  std::vector<Project> projects;
  std::unordered_map<UUID, std::size_t> slots;
  std::vector<UUID> unsorted;
  for (const GroupableCard& card : cards) {
    if (!card.projectID) {
      unsorted.push_back(card.id);
      continue;
    }
    const auto [slot, isNew] = slots.try_emplace(*card.projectID, projects.size());
    if (isNew) {
      projects.push_back({*card.projectID, &card, std::numeric_limits<double>::lowest(), {}});
    }
    Project& project = projects[slot->second];
    project.cardIDs.push_back(card.id);
    if (card.lastUsedAt) project.latestUse = std::max(project.latestUse, sortKey(*card.lastUsedAt));
  }
  std::stable_sort(projects.begin(), projects.end(), [](const Project& a, const Project& b) {
    if (a.latestUse != b.latestUse) return a.latestUse > b.latestUse;
    if (a.first->projectSortIndex != b.first->projectSortIndex) {
      return a.first->projectSortIndex < b.first->projectSortIndex;
    }
    return a.id < b.id;
  });
  std::vector<CardGroup> groups;
  for (Project& project : projects) {
    groups.push_back({"project-" + project.id.uuidString(), project.first->projectName,
                      KelvoIcon::project, std::nullopt, std::move(project.cardIDs)});
  }
  if (!unsorted.empty()) {
    groups.push_back({std::string(unsortedGroupID), localized("Unsorted"), KelvoIcon::unsorted,
                      std::nullopt, std::move(unsorted)});
  }
  return groups;
}

std::vector<CardGroup> byType(std::span<const GroupableCard> cards) {
  constexpr auto types = allCases<CardType>();
  std::array<std::vector<UUID>, types.size()> piles;
  for (const GroupableCard& card : cards) {
    // A value cast from outside the enumeration reads as a file, as an unknown stored type does.
    const auto index = static_cast<std::size_t>(card.type);
    piles[index < piles.size() ? index : static_cast<std::size_t>(CardType::file)].push_back(
        card.id);
  }
  std::vector<CardGroup> groups;
  for (const CardType type : types) {
    auto& pile = piles[static_cast<std::size_t>(type)];
    if (pile.empty()) continue;
    groups.push_back({"type-" + std::string(rawValue(type)), pluralLabel(type), icon(type),
                      tint(type), std::move(pile)});
  }
  return groups;
}

std::vector<CardGroup> byRecency(std::span<const GroupableCard> cards, Date now,
                                 const Calendar& calendar) {
  const RecencyBounds bounds(now, calendar);
  std::array<Pile, allCases<RecencyBucket>().size()> piles;
  for (const GroupableCard& card : cards) {
    const Date touched = card.lastTouchedAt();
    piles[static_cast<std::size_t>(bounds.bucket(touched))].emplace_back(sortKey(touched), card.id);
  }
  std::vector<CardGroup> groups;
  for (const RecencyBucket bucket : allCases<RecencyBucket>()) {
    auto& pile = piles[static_cast<std::size_t>(bucket)];
    if (!pile.empty()) groups.push_back(recentGroup("recency-", bucket, pile));
  }
  return groups;
}

CardGroup monthGroup(Date month, const Pile& pile, const Calendar& calendar,
                     const DateFormatter& formatter) {
  // A component the calendar does not give counts as 0.
  const int year = calendar.component(Component::year, month);
  const int number = calendar.component(Component::month, month);
  return {"date-" + std::to_string(year) + "-" + std::to_string(number), formatter.format(month),
          KelvoIcon::earlier, std::nullopt, latestFirst(pile)};
}

std::vector<CardGroup> byDate(std::span<const GroupableCard> cards, Date now,
                              const Calendar& calendar) {
  RecencyBounds bounds(now, calendar);
  std::array<Pile, allCases<RecencyBucket>().size()> recent;
  std::map<double, Pile, std::greater<>> months;  // newest first
  // Instants the calendar cannot place share one group, after every month.
  std::optional<std::pair<Date, Pile>> unplaced;
  for (const GroupableCard& card : cards) {
    const double key = sortKey(card.createdAt);
    const RecencyBucket bucket = bounds.bucket(card.createdAt);
    if (bucket != RecencyBucket::earlier) {
      recent[static_cast<std::size_t>(bucket)].emplace_back(key, card.id);
    } else if (const auto start = bounds.monthStart(card.createdAt)) {
      months[start->timeIntervalSinceReferenceDate()].emplace_back(key, card.id);
    } else {
      if (!unplaced) unplaced.emplace(card.createdAt, Pile());
      unplaced->second.emplace_back(key, card.id);
    }
  }
  std::vector<CardGroup> groups;
  for (const RecencyBucket bucket : allCases<RecencyBucket>()) {
    auto& pile = recent[static_cast<std::size_t>(bucket)];
    if (!pile.empty()) groups.push_back(recentGroup("date-", bucket, pile));
  }
  if (months.empty() && !unplaced) return groups;
  const auto formatter = DateFormatter::fromTemplate("MMMMyyyy", calendar, Locale::current());
  for (auto& [start, pile] : months) {
    groups.push_back(monthGroup(Date(start), pile, calendar, formatter));
  }
  if (unplaced) {
    groups.push_back(monthGroup(unplaced->first, unplaced->second, calendar, formatter));
  }
  return groups;
}

}  // namespace

std::string title(RecencyBucket bucket) {
  switch (bucket) {
    case RecencyBucket::today:
      return localized("Today");
    case RecencyBucket::yesterday:
      return localized("Yesterday");
    case RecencyBucket::thisWeek:
      return localized("Earlier this week");
    case RecencyBucket::thisMonth:
      return localized("Earlier this month");
    case RecencyBucket::earlier:
      return localized("Earlier");
  }
  return localized("Earlier");
}

std::string_view shortLabel(RecencyBucket bucket) {
  switch (bucket) {
    case RecencyBucket::today:
      return "today";
    case RecencyBucket::yesterday:
      return "yesterday";
    case RecencyBucket::thisWeek:
      return "this week";
    case RecencyBucket::thisMonth:
      return "this month";
    case RecencyBucket::earlier:
      return "earlier";
  }
  return "earlier";
}

KelvoIcon icon(RecencyBucket bucket) {
  switch (bucket) {
    case RecencyBucket::today:
      return KelvoIcon::today;
    case RecencyBucket::yesterday:
      return KelvoIcon::yesterday;
    case RecencyBucket::thisWeek:
      return KelvoIcon::thisWeek;
    case RecencyBucket::thisMonth:
      return KelvoIcon::thisMonth;
    case RecencyBucket::earlier:
      return KelvoIcon::earlier;
  }
  return KelvoIcon::earlier;
}

bool operator==(const DateBucket::Month& a, const DateBucket::Month& b) {
  const double x = a.start.timeIntervalSinceReferenceDate();
  const double y = b.start.timeIntervalSinceReferenceDate();
  return x == y || (std::isnan(x) && std::isnan(y));
}

RecencyBucket bucket(Date instant, Date now, const Calendar& calendar) {
  if (calendar.isSameDay(instant, now)) return RecencyBucket::today;
  const auto yesterday = calendar.adding(Component::day, -1, now);
  if (yesterday && calendar.isSameDay(instant, *yesterday)) return RecencyBucket::yesterday;
  if (instant > now) return RecencyBucket::today;
  if (calendar.isSame(Component::weekOfYear, instant, now)) return RecencyBucket::thisWeek;
  if (calendar.isSame(Component::month, instant, now)) return RecencyBucket::thisMonth;
  return RecencyBucket::earlier;
}

DateBucket dateBucket(Date instant, Date now, const Calendar& calendar) {
  const RecencyBucket recent = bucket(instant, now, calendar);
  if (recent != RecencyBucket::earlier) return {DateBucket::Recent{recent}};
  return {DateBucket::Month{calendar.start(Component::month, instant).value_or(instant)}};
}

std::vector<CardGroup> groups(std::span<const GroupableCard> cards, CardGrouping grouping, Date now,
                              const Calendar& calendar) {
  switch (grouping) {
    case CardGrouping::project:
      return byProject(cards);
    case CardGrouping::type:
      return byType(cards);
    case CardGrouping::recency:
      return byRecency(cards, now, calendar);
    case CardGrouping::date:
      return byDate(cards, now, calendar);
  }
  return {};
}

}  // namespace kelvo::CardOrganiser

size_t std::hash<kelvo::CardOrganiser::DateBucket>::operator()(
    const kelvo::CardOrganiser::DateBucket& bucket) const noexcept {
  using kelvo::CardOrganiser::DateBucket;
  if (const auto* recent = std::get_if<DateBucket::Recent>(&bucket.value)) {
    return static_cast<size_t>(recent->bucket);
  }
  const double start =
      std::get<DateBucket::Month>(bucket.value).start.timeIntervalSinceReferenceDate();
  // Every damaged instant hashes alike, as they compare equal.
  return std::isnan(start) ? 0x7ff8 : std::hash<double>{}(start) ^ 0x9e3779b97f4a7c15ULL;
}
