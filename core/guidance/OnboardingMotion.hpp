#pragma once

// The tour's timing model: full motion or a calmer cross-fade, the illustrations' beats, the
// opening scene's departure and the closing hand-off. Seconds and points:
//
//   const OnboardingMotion motion = variant(/*reduceMotion=*/false);  // full
//   const auto grid = OnboardingPage::Illustration::grid;
//   const double settle = OnboardingScene::settleDuration(grid, motion);
//   const double calm = OnboardingScene::settleDuration(grid, variant(true));  // shorter

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "core/guidance/OnboardingPage.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class OnboardingMotion : std::uint8_t { full, crossFade };

template <>
struct RawValues<OnboardingMotion> {
  static constexpr std::array<std::pair<OnboardingMotion, std::string_view>, 2> table{{
      {OnboardingMotion::full, "full"},
      {OnboardingMotion::crossFade, "crossFade"},
  }};
};

/// `crossFade` when reduce motion is on.
constexpr OnboardingMotion variant(bool reduceMotion) {
  return reduceMotion ? OnboardingMotion::crossFade : OnboardingMotion::full;
}

// The motion's table.
constexpr bool isFull(OnboardingMotion motion) { return motion == OnboardingMotion::full; }
/// One beat of an illustration.
constexpr double stepDuration(OnboardingMotion m) { return isFull(m) ? 0.34 : 0.18; }
/// Extra pause between the starts of consecutive beats.
constexpr double staggerDelay(OnboardingMotion m) { return isFull(m) ? 0.09 : 0; }
/// Hold between the steps of a sequence.
constexpr double holdDuration(OnboardingMotion m) { return isFull(m) ? 0.55 : 0.45; }
/// Fade of the tour's chrome at the end.
constexpr double handoffDuration(OnboardingMotion m) { return isFull(m) ? 0.22 : 0; }
/// Points content travels as it enters.
constexpr double travel(OnboardingMotion m) { return isFull(m) ? 26 : 0; }
constexpr double sceneParallax(OnboardingMotion m) { return isFull(m) ? 0.14 : 0; }
constexpr double osselParallax(OnboardingMotion m) { return isFull(m) ? 0.22 : 0; }
/// Drift of the background wash.
constexpr double washDrift(OnboardingMotion m) { return isFull(m) ? 0.06 : 0; }
/// Time the mascot takes to reach its next anchor.
constexpr double anchorTravelDuration(OnboardingMotion m) { return isFull(m) ? 0.35 : 0.15; }
constexpr bool movesContent(OnboardingMotion m) { return isFull(m); }
constexpr bool tracksFinger(OnboardingMotion m) { return isFull(m); }
constexpr bool repeatsForever(OnboardingMotion) { return false; }
/// The length of a sequence of `steps` beats; 0 for none.
double sequenceDuration(OnboardingMotion motion, std::int64_t steps);

/// How far an illustration has assembled.
struct OnboardingGraphic {
  static constexpr double duration = 0.8;
  struct Frame {
    double progress;
    friend bool operator==(const Frame&, const Frame&) = default;
  };
  /// A cubic ease-out reaching 1 at `duration`; 1 at once with reduce motion, 0 before the start.
  static Frame frame(OnboardingPage::Illustration illustration, double elapsed, bool reduceMotion);
};

/// The beats of a page's illustration.
struct OnboardingScene {
  static constexpr double settleBudget = 4.0;
  static std::int64_t beatCount(OnboardingPage::Illustration illustration);
  /// The start time of each beat.
  static std::vector<double> schedule(OnboardingPage::Illustration illustration,
                                      OnboardingMotion motion);
  static double settleDuration(OnboardingPage::Illustration illustration, OnboardingMotion motion);
};

/// The steps that close the tour, in order.
struct OnboardingHandoff {
  enum class Step : std::uint8_t { recordCompletion, fadeChrome, dismiss, openCapture };
  static constexpr std::array<Step, 4> order{Step::recordCompletion, Step::fadeChrome,
                                             Step::dismiss, Step::openCapture};
  static constexpr double captureHandoverDelay = 0.45;
  static double duration(Step step, OnboardingMotion motion);
  static double totalDelay(OnboardingMotion motion);
};

template <>
struct RawValues<OnboardingHandoff::Step> {
  using Step = OnboardingHandoff::Step;
  static constexpr std::array<std::pair<Step, std::string_view>, 4> table{{
      {Step::recordCompletion, "recordCompletion"},
      {Step::fadeChrome, "fadeChrome"},
      {Step::dismiss, "dismiss"},
      {Step::openCapture, "openCapture"},
  }};
};

/// Leaving the opening scene.
struct OnboardingOpeningDeparture {
  static double duration(OnboardingMotion motion);
  /// Only leaving the opening page fades its breathing mark.
  static bool fadesBreath(OnboardingPage::Illustration from);
};

}  // namespace kelvo
