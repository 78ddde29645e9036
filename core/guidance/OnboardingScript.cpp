#include "core/guidance/OnboardingScript.hpp"

namespace kelvo {

const OnboardingPage* OnboardingScript::page(std::int64_t index) const {
  if (index < 0 || index >= pageCount()) return nullptr;
  return &pages_[static_cast<std::size_t>(index)];
}

}  // namespace kelvo
