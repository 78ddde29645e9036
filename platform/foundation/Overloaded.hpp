#pragma once

namespace kelvo {

/// Visits a variant with one lambda per case: `std::visit(Overloaded{[](A) {}, [](B) {}}, v)`.
template <class... Cases>
struct Overloaded : Cases... {
  using Cases::operator()...;
};
// clang 14 does not deduce aggregate bases without the guide.
template <class... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;

}  // namespace kelvo
