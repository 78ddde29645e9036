#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace kelvo {

/// The one table of an enumeration stored by raw value: specialise it with
/// `static constexpr std::array<std::pair<E, std::string_view>, N> table`, listing every case
/// in declaration order, and optionally `static constexpr bool iterable = false` for an
/// enumeration that offers no list of its cases. Raw values, parsing and `allCases` all come
/// from it.
template <class E>
struct RawValues;

template <class E>
concept RawValueEnum = requires {
  { RawValues<E>::table.size() } -> std::convertible_to<std::size_t>;
};

namespace foundation_internal {

template <class E>
consteval bool tableFollowsDeclarationOrder() {
  const auto& table = RawValues<E>::table;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (static_cast<std::size_t>(table[i].first) != i) return false;
  }
  return true;
}

template <class E>
consteval bool isIterable() {
  if constexpr (requires { RawValues<E>::iterable; }) {
    return RawValues<E>::iterable;
  } else {
    return true;
  }
}

}  // namespace foundation_internal

/// The stored text of `value`.
template <RawValueEnum E>
constexpr std::string_view rawValue(E value) {
  static_assert(foundation_internal::tableFollowsDeclarationOrder<E>(),
                "a raw-value table lists its cases in declaration order");
  const auto& table = RawValues<E>::table;
  const auto index = static_cast<std::size_t>(value);
  // Only a value cast from outside the enumeration can miss; it has no raw value.
  return index < table.size() ? table[index].second : std::string_view();
}

/// The case whose raw value is exactly `raw` (case-sensitive, nothing trimmed), or none.
template <RawValueEnum E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
  for (const auto& [value, text] : RawValues<E>::table) {
    if (text == raw) return value;
  }
  return std::nullopt;
}

/// Every case in declaration order.
template <RawValueEnum E>
requires(foundation_internal::isIterable<E>()) constexpr auto allCases() {
  constexpr auto& table = RawValues<E>::table;
  std::array<E, table.size()> cases{};
  for (std::size_t i = 0; i < table.size(); ++i) cases[i] = table[i].first;
  return cases;
}

}  // namespace kelvo
