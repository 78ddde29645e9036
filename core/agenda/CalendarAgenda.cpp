#include "core/agenda/CalendarAgenda.hpp"

#include <algorithm>
#include <map>
#include <numeric>

#include "core/agenda/internal/CountDifference.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// An event with its display title worked out once, for sorting.
struct Keyed {
  const CalendarEventSnapshot* event;
  std::string title;
};

bool orderedBefore(const CalendarEventSnapshot& a, const std::string& titleA,
                   const CalendarEventSnapshot& b, const std::string& titleB) {
  if (a.start() != b.start()) return a.start() < b.start();
  if (a.isAllDay() != b.isAllDay()) return a.isAllDay();
  const auto titles = text::localizedCaseInsensitiveCompare(titleA, titleB);
  if (titles != 0) return titles < 0;
  if (a.id() == b.id()) return false;
  return text::nfc(a.id()) < text::nfc(b.id());
}

}  // namespace

CalendarAgenda::Range CalendarAgenda::fetchRange(Date now) { return {now, now + window}; }

bool CalendarAgenda::isOrderedBefore(const CalendarEventSnapshot& a,
                                     const CalendarEventSnapshot& b) {
  return orderedBefore(a, a.displayTitle(), b, b.displayTitle());
}

std::vector<CalendarEventSnapshot> CalendarAgenda::upcoming(
    std::span<const CalendarEventSnapshot> events, Date now, std::int64_t limit) {
  if (limit <= 0) return {};
  std::vector<Keyed> kept;
  for (const CalendarEventSnapshot& event : events) {
    if (event.end() > now) kept.push_back({&event, event.displayTitle()});
  }
  const auto before = [](const Keyed& a, const Keyed& b) {
    return orderedBefore(*a.event, a.title, *b.event, b.title);
  };
  const std::size_t count = std::min<std::size_t>(kept.size(), static_cast<std::uint64_t>(limit));
  std::partial_sort(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(count), kept.end(),
                    before);
  std::vector<CalendarEventSnapshot> result;
  result.reserve(count);
  for (std::size_t i = 0; i < count; ++i) result.push_back(*kept[i].event);
  return result;
}

std::vector<CalendarDaySection> CalendarAgenda::sections(
    std::span<const CalendarEventSnapshot> events, Date now, const Calendar& calendar,
    std::int64_t limit) {
  std::map<Date, std::vector<CalendarEventSnapshot>> days;
  for (CalendarEventSnapshot& event : upcoming(events, now, limit)) {
    days[calendar.startOfDay(event.start())].push_back(std::move(event));
  }
  std::vector<CalendarDaySection> result;
  result.reserve(days.size());
  for (auto& [day, dayEvents] : days) result.push_back({day, std::move(dayEvents)});
  return result;
}

std::optional<CalendarEventSnapshot> CalendarAgenda::imminent(
    std::span<const CalendarEventSnapshot> events, Date now, TimeInterval within) {
  const CalendarEventSnapshot* underway = nullptr;
  const CalendarEventSnapshot* next = nullptr;
  for (const CalendarEventSnapshot& event : events) {
    if (!(event.end() > now) || event.isAllDay()) continue;
    const CalendarEventSnapshot*& slot = event.start() <= now ? underway : next;
    if (slot == nullptr || isOrderedBefore(event, *slot)) slot = &event;
  }
  if (underway != nullptr) return *underway;
  if (next != nullptr && next->start() - now <= within) return *next;
  return std::nullopt;
}

std::optional<std::string> CalendarAgenda::truncationNotice(std::int64_t shown,
                                                            std::int64_t total) {
  if (shown >= total) return std::nullopt;
  const std::string hidden = agenda_internal::differenceText(total, shown);
  if (hidden == "1") return "One more event in the next week isn't shown.";
  return hidden + " more events in the next week aren't shown.";
}

std::string CalendarAgenda::emptyExplanation() {
  return localized(
      "    Nothing in your calendar for the next seven days. When there is, it will     be here, "
      "and you can keep any of it as a card.");
}

}  // namespace kelvo
