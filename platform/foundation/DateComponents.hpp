#pragma once

#include <optional>

namespace kelvo {

/// Fields of a date, each possibly absent, as a store hands them over: a day without a time, a
/// time without a day. `Calendar::date(const DateComponents&)` turns them into a moment.
struct DateComponents {
  std::optional<int> year{};
  std::optional<int> month{};
  std::optional<int> day{};
  std::optional<int> hour{};
  std::optional<int> minute{};
  std::optional<int> second{};

  friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

}  // namespace kelvo
