#include "core/guidance/OnboardingProgress.hpp"

#include <algorithm>

#include "core/guidance/OnboardingCopy.hpp"
#include "platform/foundation/NumberFormat.hpp"

namespace kelvo {

std::optional<OnboardingProgress> OnboardingProgress::make(std::int64_t pageCount,
                                                           std::int64_t pageIndex) {
  if (pageCount <= 0) return std::nullopt;
  return OnboardingProgress(pageCount, std::clamp<std::int64_t>(pageIndex, 0, pageCount - 1));
}

OnboardingProgress OnboardingProgress::clampedTo(std::int64_t pageCount) {
  return OnboardingProgress(std::max<std::int64_t>(pageCount, 1), 0);
}

double OnboardingProgress::fraction() const {
  if (pageCount_ < 2) return 1.0;
  return static_cast<double>(pageIndex_) / static_cast<double>(pageCount_ - 1);
}

OnboardingAdvance OnboardingProgress::advanceAction() const {
  return isFinalPage() ? OnboardingAdvance::finish() : OnboardingAdvance::next(pageIndex_ + 1);
}

OnboardingAdvance OnboardingProgress::advance() {
  const OnboardingAdvance action = advanceAction();
  if (!action.isFinish()) ++pageIndex_;
  return action;
}

void OnboardingProgress::goBack() {
  if (pageIndex_ > 0) --pageIndex_;
}

void OnboardingProgress::go(std::int64_t index) {
  if (index >= 0 && index < pageCount_) pageIndex_ = index;
}

std::string OnboardingProgress::primaryActionTitle() const {
  return isFinalPage() ? OnboardingCopy::finish() : OnboardingCopy::next();
}

std::string OnboardingProgress::primaryActionHint() const {
  return isFinalPage() ? OnboardingCopy::finishHint() : OnboardingCopy::nextHint();
}

std::string OnboardingProgress::pageControlValue() const {
  return "Page " + formatInteger(pageNumber()) + " of " + formatInteger(pageCount_);
}

}  // namespace kelvo
