#pragma once

#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// Visits a variant with one lambda per case: `std::visit(Overloaded{[](A) {}, [](B) {}}, v)`.
template <class... Cases>
struct Overloaded : Cases... {
  using Cases::operator()...;
};
// clang 14 does not deduce aggregate bases without the guide.
template <class... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;

/// The position of `Case` among the alternatives of `Variant`, for tying an enumeration of the
/// cases to the variant's order where a switch must stay a switch:
///
///   enum class Kind { circle, square };
///   static_assert(variantIndex<Shape, Square> == std::size_t(Kind::square));
template <class Variant, class Case>
inline constexpr std::size_t variantIndex = std::variant_npos;
template <class Case, class... Cases>
inline constexpr std::size_t variantIndex<std::variant<Cases...>, Case> = [] {
  constexpr bool matches[] = {std::is_same_v<Case, Cases>...};
  for (std::size_t i = 0; i < sizeof...(Cases); ++i) {
    if (matches[i]) return i;
  }
  return std::variant_npos;
}();

/// The alternative of `Variant` at `index`, made by `make(std::type_identity<Alternative>{})`:
/// for reading a case found by its position in a table of names, with one overload of the
/// maker per alternative, so that an alternative without one fails to compile.
///
///   Shape read(std::type_identity<Circle>, const Reader& r) { return Circle{r["radius"]}; }
///   Shape read(std::type_identity<Square>, const Reader& r) { return Square{r["side"]}; }
///   Shape shape = variantAt<Shape>(index, [&](auto type) { return read(type, reader); });
template <class Variant, class Make>
Variant variantAt(std::size_t index, Make&& make) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    std::optional<Variant> made;
    ((index == I &&
      (made.emplace(make(std::type_identity<std::variant_alternative_t<I, Variant>>{})), true)) ||
     ...);
    if (!made) fatal("no alternative at that position");
    return std::move(*made);
  }
  (std::make_index_sequence<std::variant_size_v<Variant>>{});
}

}  // namespace kelvo
