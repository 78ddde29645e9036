#include "core/guidance/HintDirector.hpp"

#include "core/guidance/HintCatalogue.hpp"

namespace kelvo {

std::optional<Hint> HintDirector::hint(HintScreen screen, const HintState& state,
                                       const HintDismissals& dismissed,
                                       const HintSuppression& suppression, double idleFor,
                                       Date now) const {
  if (!suppression.allowsHints() || !timingAllows(screen, idleFor, now)) return std::nullopt;
  for (const Hint& hint : HintCatalogue::hints(screen)) {
    if (isCandidate(hint, state, dismissed)) return hint;
  }
  return std::nullopt;
}

bool HintDirector::timingAllows(HintScreen screen, double idleFor, Date now) const {
  // Written so that a NaN fails every test: it counts as too short a pause and too short a gap.
  if (!(idleFor >= HintTiming::idleThreshold && idleFor <= HintTiming::abandonedAfter)) {
    return false;
  }
  if (screensSpokenFor_.contains(screen)) return false;
  if (lastShownAt_) {
    const double gap = now - *lastShownAt_;
    if (!(gap >= HintTiming::minimumGapBetweenHints)) return false;
  }
  return true;
}

std::vector<Hint> HintDirector::candidates(HintScreen screen, const HintState& state,
                                           const HintDismissals& dismissed) const {
  std::vector<Hint> found;
  for (const Hint& hint : HintCatalogue::hints(screen)) {
    if (isCandidate(hint, state, dismissed)) found.push_back(hint);
  }
  return found;
}

bool HintDirector::hasNothingLeftToSay(HintScreen screen, const HintState& state,
                                       const HintDismissals& dismissed) const {
  if (screensSpokenFor_.contains(screen)) return true;
  for (const Hint& hint : HintCatalogue::hints(screen)) {
    if (isCandidate(hint, state, dismissed)) return false;
  }
  return true;
}

void HintDirector::record(const Hint& hint, Date date) {
  screensSpokenFor_.insert(hint.screen);
  hintsShown_.insert(hint.id);
  lastShownAt_ = date;
}

bool HintDirector::isCandidate(const Hint& hint, const HintState& state,
                               const HintDismissals& dismissed) const {
  return !dismissed.contains(hint.id) && !hintsShown_.contains(hint.id) && hint.isEligible(state);
}

}  // namespace kelvo
