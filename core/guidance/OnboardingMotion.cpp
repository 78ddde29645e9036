#include "core/guidance/OnboardingMotion.hpp"

#include <algorithm>
#include <cmath>

namespace kelvo {

double sequenceDuration(OnboardingMotion motion, std::int64_t steps) {
  if (steps <= 0) return 0;
  const auto count = static_cast<double>(steps);
  return count * stepDuration(motion) + (count - 1) * (holdDuration(motion) + staggerDelay(motion));
}

OnboardingGraphic::Frame OnboardingGraphic::frame(OnboardingPage::Illustration, double elapsed,
                                                  bool reduceMotion) {
  if (reduceMotion) return {1};
  // NaN and negative times have not started; +∞ is long done.
  if (!(elapsed >= 0)) return {0};
  const double remaining = 1 - std::min(1.0, elapsed / duration);
  return {1 - remaining * remaining * remaining};
}

std::int64_t OnboardingScene::beatCount(OnboardingPage::Illustration illustration) {
  return illustration == OnboardingPage::Illustration::grid ? 5 : 4;
}

std::vector<double> OnboardingScene::schedule(OnboardingPage::Illustration illustration,
                                              OnboardingMotion motion) {
  const std::int64_t beats = beatCount(illustration);
  const double spacing = isFull(motion) ? stepDuration(motion) + staggerDelay(motion) : 0;
  std::vector<double> starts;
  starts.reserve(static_cast<std::size_t>(beats));
  for (std::int64_t beat = 0; beat < beats; ++beat) {
    starts.push_back(static_cast<double>(beat) * spacing);
  }
  return starts;
}

double OnboardingScene::settleDuration(OnboardingPage::Illustration illustration,
                                       OnboardingMotion motion) {
  const std::vector<double> starts = schedule(illustration, motion);
  return (starts.empty() ? 0 : starts.back()) + stepDuration(motion);
}

double OnboardingHandoff::duration(Step step, OnboardingMotion motion) {
  switch (step) {
    case Step::fadeChrome:
      return handoffDuration(motion);
    case Step::openCapture:
      return captureHandoverDelay;
    case Step::recordCompletion:
    case Step::dismiss:
      return 0;
  }
  return 0;
}

double OnboardingHandoff::totalDelay(OnboardingMotion motion) {
  double total = 0;
  for (Step step : order) total += duration(step, motion);
  return total;
}

double OnboardingOpeningDeparture::duration(OnboardingMotion motion) {
  return isFull(motion) ? 0.18 : 0;
}

bool OnboardingOpeningDeparture::fadesBreath(OnboardingPage::Illustration from) {
  return from == OnboardingPage::Illustration::identity;
}

}  // namespace kelvo
