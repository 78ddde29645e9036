#pragma once

// Decides whether a tip is shown now, and which: one tip per screen, never while the user is busy
// or uses a screen reader, only after a pause and before the user has walked away, and at least
// four minutes between two tips. The host asks as the user pauses and records what it showed:
//
//   const Date now(700'000'000);
//   const HintState state{.cardCount = 5, .availableActions = {HintAction::pinFromCardMenu}};
//   HintDirector director;  // one for the life of the interface
//   const HintDismissals dismissed;
//   const auto tip = director.hint(HintScreen::home, state, dismissed, HintSuppression::none(),
//                                  /*idleFor=*/20, now);  // the pin tip, after a pause
//   if (tip) director.record(*tip, now);  // the host shows it

#include <optional>
#include <set>
#include <vector>

#include "core/guidance/Hint.hpp"
#include "core/guidance/HintDismissals.hpp"
#include "core/guidance/HintSuppression.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// Seconds.
struct HintTiming {
  static constexpr double idleThreshold = 14;
  static constexpr double abandonedAfter = 90;
  static constexpr double minimumGapBetweenHints = 240;
  /// How long the host keeps a tip on screen.
  static constexpr double visibleDuration = 10;
};

/// Held by the host for the life of its interface; moves only forward.
class HintDirector {
 public:
  HintDirector() = default;
  HintDirector(std::set<HintScreen> screensSpokenFor, std::set<HintID> hintsShown,
               std::optional<Date> lastShownAt = std::nullopt)
      : screensSpokenFor_(std::move(screensSpokenFor)),
        hintsShown_(std::move(hintsShown)),
        lastShownAt_(lastShownAt) {}

  const std::set<HintScreen>& screensSpokenFor() const { return screensSpokenFor_; }
  const std::set<HintID>& hintsShown() const { return hintsShown_; }
  std::optional<Date> lastShownAt() const { return lastShownAt_; }

  /// The tip to show now, or none. `idleFor` is the seconds since the user's last interaction.
  std::optional<Hint> hint(HintScreen screen, const HintState& state,
                           const HintDismissals& dismissed, const HintSuppression& suppression,
                           double idleFor, Date now) const;
  /// The tips the screen could show apart from timing, suppression and one tip per screen, in
  /// display order.
  std::vector<Hint> candidates(HintScreen screen, const HintState& state,
                               const HintDismissals& dismissed) const;
  /// Whether the host may stop asking for the screen.
  bool hasNothingLeftToSay(HintScreen screen, const HintState& state,
                           const HintDismissals& dismissed) const;
  /// Notes that the host has just shown `hint` at `date`.
  void record(const Hint& hint, Date date);

  friend bool operator==(const HintDirector&, const HintDirector&) = default;

 private:
  bool isCandidate(const Hint& hint, const HintState& state, const HintDismissals& dismissed) const;
  bool timingAllows(HintScreen screen, double idleFor, Date now) const;

  std::set<HintScreen> screensSpokenFor_;
  std::set<HintID> hintsShown_;
  std::optional<Date> lastShownAt_;
};

}  // namespace kelvo
