// Internal to platform/foundation: include "platform/foundation/Calendar.hpp" instead.
#pragma once

// The ICU calendar behind a `Calendar`, opened in one place for the sources that reckon with it
// and those that format with it.

#include <unicode/calendar.h>

#include <memory>

#include "platform/foundation/Calendar.hpp"

namespace kelvo::foundation_internal {

/// A new ICU calendar of `calendar`'s kind, time zone and week rules.
std::unique_ptr<icu::Calendar> openCalendar(const Calendar& calendar);

}  // namespace kelvo::foundation_internal
