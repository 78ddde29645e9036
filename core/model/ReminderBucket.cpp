#include "core/model/ReminderBucket.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string title(ReminderBucket bucket) {
  switch (bucket) {
    case ReminderBucket::overdue:
      return localized("Overdue");
    case ReminderBucket::today:
      return localized("Today");
    case ReminderBucket::thisWeek:
      return localized("This week");
    case ReminderBucket::later:
      return localized("Later");
  }
  return localized("Later");
}

std::string explanation(ReminderBucket bucket) {
  switch (bucket) {
    case ReminderBucket::overdue:
      return localized("Past their time. These are the ones that cost you something.");
    case ReminderBucket::today:
      return localized("Still to come today.");
    case ReminderBucket::thisWeek:
      return localized("Within the next seven days.");
    case ReminderBucket::later:
      return localized("Further out.");
  }
  return localized("Further out.");
}

}  // namespace kelvo
