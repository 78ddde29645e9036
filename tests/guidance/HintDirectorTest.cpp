#include "core/guidance/HintDirector.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/guidance/HintCatalogue.hpp"

namespace kelvo {
namespace {

const HintState homeState{
    .cardCount = 5,
    .templateCount = 3,
    .shelfCount = 1,
    .availableActions = {HintAction::pinFromCardMenu, HintAction::openAgenda}};
const HintState agendaState{
    .cardCount = 5, .reminderCount = 2, .availableActions = {HintAction::markReminderDone}};
const Date start(700'000'000);

std::optional<HintID> shown(const HintDirector& director, HintScreen screen, const HintState& state,
                            double idle, Date now, const HintDismissals& dismissed = {},
                            HintSuppression suppression = HintSuppression::none()) {
  const auto hint = director.hint(screen, state, dismissed, suppression, idle, now);
  return hint ? std::optional(hint->id) : std::nullopt;
}

TEST(HintDirectorTest, OffersTheFirstEligibleTipAfterAPause) {
  const HintDirector director;
  const auto candidates = director.candidates(HintScreen::home, homeState, {});
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(candidates[0].id, HintID::pinToReadyRow);
  EXPECT_EQ(candidates[1].id, HintID::remindersLiveBehindTheBell);

  const struct {
    double idle;
    std::optional<HintID> expected;
  } pauses[] = {{13.9, std::nullopt},  {14, HintID::pinToReadyRow},  {90, HintID::pinToReadyRow},
                {90.01, std::nullopt}, {std::nan(""), std::nullopt}, {INFINITY, std::nullopt}};
  for (const auto& pause : pauses) {
    EXPECT_EQ(shown(director, HintScreen::home, homeState, pause.idle, start), pause.expected)
        << pause.idle;
  }
  EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start, {HintID::pinToReadyRow}),
            HintID::remindersLiveBehindTheBell);
  EXPECT_TRUE(director.hasNothingLeftToSay(HintScreen::agenda, homeState, {}));
  EXPECT_FALSE(director.hasNothingLeftToSay(HintScreen::home, homeState, {}));
}

TEST(HintDirectorTest, OneTipPerScreenAndFourMinutesApart) {
  HintDirector director;
  director.record(*HintCatalogue::hint(HintID::pinToReadyRow), start);
  EXPECT_EQ(director.lastShownAt(), start);
  EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start + 10'000), std::nullopt);
  EXPECT_TRUE(director.hasNothingLeftToSay(HintScreen::home, homeState, {}));
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start + 239.9), std::nullopt);
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start + 240),
            HintID::doneKeepsTheCard);
  // A clock that went back, or a present that is not a number, gives no gap at all.
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start - 1000), std::nullopt);
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, Date(std::nan(""))), std::nullopt);

  // A tip already shown is passed over for the next one.
  const HintDirector seen({}, {HintID::pinToReadyRow});
  EXPECT_EQ(shown(seen, HintScreen::home, homeState, 30, start),
            HintID::remindersLiveBehindTheBell);
}

TEST(HintDirectorTest, AnySuppressionKeepsTipsAway) {
  const HintDirector director;
  for (int flag = 0; flag < 4; ++flag) {
    HintSuppression suppression;
    bool* const fields[] = {&suppression.isEditingText, &suppression.isSheetPresented,
                            &suppression.isDragging, &suppression.isScreenReaderRunning};
    *fields[flag] = true;
    EXPECT_FALSE(suppression.allowsHints());
    EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start, {}, suppression),
              std::nullopt);
  }
  EXPECT_EQ(HintSuppression::none().reason(), std::nullopt);
  const struct {
    HintSuppression suppression;
    const char* reason;
  } reasons[] = {
      {{.isEditingText = true, .isSheetPresented = true}, "typing"},
      {{.isEditingText = true, .isScreenReaderRunning = true}, "screen reader running"},
      {{.isSheetPresented = true, .isDragging = true}, "sheet presented"},
      {{.isDragging = true}, "dragging"},
  };
  for (const auto& [suppression, reason] : reasons) EXPECT_EQ(suppression.reason(), reason);
}

}  // namespace
}  // namespace kelvo
