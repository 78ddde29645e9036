#pragma once

#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// One case of an enumeration with string raw values, and its raw value.
template <class E>
struct RawValueCase {
  E value;
  std::string_view rawValue;
};

/// An enumeration with raw values declares, beside itself, the one table of its cases in
/// declaration order, found by argument-dependent lookup:
///   std::span<const RawValueCase<E>> rawValueCases(E);
/// `rawValue`, `fromRawValue` and `allCases` all come from that table.
template <class E>
concept HasRawValues = requires(E value) {
  { rawValueCases(value) } -> std::convertible_to<std::span<const RawValueCase<E>>>;
};

/// The raw value of a case. A value that is no case of E is a programming error.
template <HasRawValues E>
std::string_view rawValue(E value) {
  const std::span<const RawValueCase<E>> cases = rawValueCases(E{});
  // Cases are usually numbered in declaration order; look there first.
  const auto index = static_cast<std::size_t>(value);
  if (index < cases.size() && cases[index].value == value) return cases[index].rawValue;
  for (const auto& entry : cases) {
    if (entry.value == value) return entry.rawValue;
  }
  fatal("rawValue: not a case of its enumeration");
}

/// The case whose raw value is exactly `text` (case-sensitive), or nothing.
template <HasRawValues E>
std::optional<E> fromRawValue(std::string_view text) {
  for (const auto& entry : rawValueCases(E{})) {
    if (entry.rawValue == text) return entry.value;
  }
  return std::nullopt;
}

/// Every case in declaration order.
template <HasRawValues E>
const std::vector<E>& allCases() {
  static const std::vector<E> cases = [] {
    std::vector<E> list;
    for (const auto& entry : rawValueCases(E{})) list.push_back(entry.value);
    return list;
  }();
  return cases;
}

}  // namespace kelvo
