#include "core/search/RankingContext.hpp"

#include <utility>

#include "platform/foundation/Calendar.hpp"

namespace kelvo {

bool RankingContext::isWorkingHours() const {
  // One unsigned comparison: hours below 9, negative ones included, wrap to huge values.
  return static_cast<std::uint64_t>(hour) - 9u < 9u;
}

RankingContext RankingContext::current(std::optional<std::string> hostApp, Date now,
                                       const Calendar& calendar) {
  return RankingContext{std::move(hostApp),
                        calendar.component(Calendar::Component::hour, now),
                        {"Work", "Clients"},
                        now};
}

}  // namespace kelvo
