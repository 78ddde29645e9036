#include "core/agenda/ReminderTaskList.hpp"

#include <algorithm>
#include <unordered_map>

#include "core/agenda/internal/CountDifference.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// The day boundaries around `now`, worked out once per call, and the deadlines of all-day due
// dates by day, so that a list of thousands costs one calendar addition per distinct day.
class TaskClock {
 public:
  TaskClock(Date now, const Calendar& calendar) : now_(now), calendar_(calendar) {
    const Date todayStart = calendar.startOfDay(now);
    today_ = calendar.dayNumber(todayStart);
    if (auto tomorrow = calendar.adding(Calendar::Component::day, 1, todayStart)) {
      tomorrow_ = calendar.dayNumber(*tomorrow);
    }
  }

  Date deadline(const ReminderDue& due) {
    if (due.hasTime) return due.date;
    const auto day = calendar_.dayNumber(due.date);
    if (!day) return due.deadline(calendar_);
    const auto found = deadlines_.find(*day);
    if (found != deadlines_.end()) return found->second;
    return deadlines_.emplace(*day, due.deadline(calendar_)).first->second;
  }

  ReminderTaskBucket bucket(const std::optional<ReminderDue>& due, std::optional<Date> deadline) {
    if (!due || !deadline) return ReminderTaskBucket::noDate;
    if (*deadline <= now_) return ReminderTaskBucket::overdue;
    const auto day = calendar_.dayNumber(due->date);
    if (day && day == today_) return ReminderTaskBucket::today;
    if (day && tomorrow_ && day == tomorrow_) return ReminderTaskBucket::tomorrow;
    return ReminderTaskBucket::later;
  }

 private:
  Date now_;
  const Calendar& calendar_;
  std::optional<std::int64_t> today_;
  std::optional<std::int64_t> tomorrow_;
  std::unordered_map<std::int64_t, Date> deadlines_;
};

// A task with everything its place in the list depends on, worked out once.
struct Keyed {
  const ReminderTaskSnapshot* task;
  ReminderTaskBucket bucket;
  std::optional<Date> deadline;
  std::string title;
};

Keyed keyed(const ReminderTaskSnapshot& task, TaskClock& clock) {
  std::optional<Date> deadline;
  if (task.due) deadline = clock.deadline(*task.due);
  return {&task, clock.bucket(task.due, deadline), deadline, task.displayTitle()};
}

int priorityRank(ReminderPriority priority) { return 3 - static_cast<int>(priority); }

bool before(const Keyed& a, const Keyed& b) {
  if (a.bucket != b.bucket) return a.bucket < b.bucket;
  if (a.deadline && b.deadline && *a.deadline != *b.deadline) return *a.deadline < *b.deadline;
  const int rankA = priorityRank(a.task->priority);
  const int rankB = priorityRank(b.task->priority);
  if (rankA != rankB) return rankA < rankB;
  const auto titles = text::localizedCaseInsensitiveCompare(a.title, b.title);
  if (titles != 0) return titles < 0;
  if (a.task->id == b.task->id) return false;
  return text::nfc(a.task->id) < text::nfc(b.task->id);
}

// The open tasks keyed and in list order, at most `limit`.
std::vector<Keyed> openKeyed(std::span<const ReminderTaskSnapshot> tasks, Date now,
                             const Calendar& calendar, std::int64_t limit) {
  if (limit <= 0) return {};
  TaskClock clock(now, calendar);
  std::vector<Keyed> open;
  for (const ReminderTaskSnapshot& task : tasks) {
    if (!task.isCompleted) open.push_back(keyed(task, clock));
  }
  const std::size_t kept = std::min<std::size_t>(open.size(), static_cast<std::uint64_t>(limit));
  std::partial_sort(open.begin(), open.begin() + static_cast<std::ptrdiff_t>(kept), open.end(),
                    before);
  open.resize(kept);
  return open;
}

}  // namespace

std::vector<ReminderTaskSnapshot> ReminderTaskList::open(
    std::span<const ReminderTaskSnapshot> tasks, Date now, const Calendar& calendar,
    std::int64_t limit) {
  std::vector<ReminderTaskSnapshot> result;
  for (const Keyed& item : openKeyed(tasks, now, calendar, limit)) result.push_back(*item.task);
  return result;
}

bool ReminderTaskList::isOrderedBefore(const ReminderTaskSnapshot& a, const ReminderTaskSnapshot& b,
                                       Date now, const Calendar& calendar) {
  TaskClock clock(now, calendar);
  return before(keyed(a, clock), keyed(b, clock));
}

ReminderTaskBucket ReminderTaskList::bucket(const ReminderTaskSnapshot& task, Date now,
                                            const Calendar& calendar) {
  TaskClock clock(now, calendar);
  return keyed(task, clock).bucket;
}

std::vector<ReminderTaskSection> ReminderTaskList::sections(
    std::span<const ReminderTaskSnapshot> tasks, Date now, const Calendar& calendar,
    std::int64_t limit) {
  std::vector<ReminderTaskSection> result;
  for (const Keyed& item : openKeyed(tasks, now, calendar, limit)) {
    // The list is in bucket order, so a new bucket always opens a new section.
    if (result.empty() || result.back().id != item.bucket) result.push_back({item.bucket, {}});
    result.back().tasks.push_back(*item.task);
  }
  return result;
}

std::optional<ReminderTaskSnapshot> ReminderTaskList::mostOverdue(
    std::span<const ReminderTaskSnapshot> tasks, Date now, const Calendar& calendar) {
  TaskClock clock(now, calendar);
  std::optional<Keyed> best;
  for (const ReminderTaskSnapshot& task : tasks) {
    if (task.isCompleted || !task.due || !(clock.deadline(*task.due) <= now)) continue;
    Keyed candidate = keyed(task, clock);
    if (!best || before(candidate, *best)) best = std::move(candidate);
  }
  if (!best) return std::nullopt;
  return *best->task;
}

std::optional<std::string> ReminderTaskList::truncationNotice(std::int64_t shown,
                                                              std::int64_t total) {
  if (shown >= total) return std::nullopt;
  const std::string hidden = agenda_internal::differenceText(total, shown);
  if (hidden == "1") return "One more open reminder isn't shown.";
  return hidden + " more open reminders aren't shown.";
}

std::string ReminderTaskList::emptyExplanation() {
  return localized(
      "    Nothing open in your reminders. When there is, it will be here, and you     can keep "
      "any of it as a card with the documents it needs.");
}

std::string ReminderTaskList::completedExplanation() {
  return localized(
      "    Kelvo lists reminders you haven't finished. A reminder you tick off in     Reminders "
      "leaves this list, and a card you already kept from it stays.");
}

}  // namespace kelvo
