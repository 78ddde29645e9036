// Internal to core/agenda: include "core/agenda/ContactDirectory.hpp" or
// "core/agenda/ReminderTaskList.hpp" instead.
#pragma once

#include <cstdint>
#include <string>

namespace kelvo::agenda_internal {

/// The decimal text of `total` − `shown` for `total` > `shown`, exact across the whole range of
/// the two counts: the difference always fits an unsigned 64-bit number, where the signed one
/// would overflow.
inline std::string differenceText(std::int64_t total, std::int64_t shown) {
  return std::to_string(static_cast<std::uint64_t>(total) - static_cast<std::uint64_t>(shown));
}

}  // namespace kelvo::agenda_internal
