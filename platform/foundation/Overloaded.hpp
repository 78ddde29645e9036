#pragma once

#include <cstddef>
#include <type_traits>
#include <variant>

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

}  // namespace kelvo
