// The usage examples at the top of the guidance layer's headers, run as written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/guidance/Hint.hpp"
#include "core/guidance/HintCatalogue.hpp"
#include "core/guidance/HintDirector.hpp"
#include "core/guidance/HintDismissals.hpp"
#include "core/guidance/HintSuppression.hpp"
#include "core/guidance/LaunchChoreography.hpp"
#include "core/guidance/OnboardingClosing.hpp"
#include "core/guidance/OnboardingCopy.hpp"
#include "core/guidance/OnboardingGate.hpp"
#include "core/guidance/OnboardingLayout.hpp"
#include "core/guidance/OnboardingMotion.hpp"
#include "core/guidance/OnboardingOsselAnchor.hpp"
#include "core/guidance/OnboardingPage.hpp"
#include "core/guidance/OnboardingPager.hpp"
#include "core/guidance/OnboardingPractice.hpp"
#include "core/guidance/OnboardingProgress.hpp"
#include "core/guidance/OnboardingScript.hpp"
#include "core/guidance/OnboardingTrail.hpp"
#include "core/guidance/OnboardingWash.hpp"
#include "core/guidance/ReviewRequestPolicy.hpp"
#include "core/guidance/SampleTiming.hpp"
#include "core/guidance/TutorialCatalogue.hpp"
#include "core/guidance/TutorialLibrary.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

TEST(Hint, APIExamples) {
  const HintState state{.cardCount = 5, .availableActions = {HintAction::pinFromCardMenu}};
  const Hint* pin = HintCatalogue::hint(HintID::pinToReadyRow);
  const bool applies = pin->isEligible(state);        // true: nothing is pinned yet
  const std::string_view stored = rawValue(pin->id);  // "pin-to-ready-row"

  EXPECT_TRUE(applies);
  EXPECT_EQ(stored, "pin-to-ready-row");
  EXPECT_FALSE(pin->isEligible({.cardCount = 5, .pinnedCount = 1, .availableActions = {}}));
}

TEST(HintCatalogue, APIExamples) {
  std::vector<std::string> tips;  // six for the home screen, by priority
  for (const Hint& hint : HintCatalogue::hints(HintScreen::home)) tips.push_back(hint.message);

  ASSERT_EQ(tips.size(), 6u);
  EXPECT_EQ(tips[1], HintCatalogue::hint(HintID::pinToReadyRow)->message);
  EXPECT_EQ(tips[1].substr(0, 41), "The card you reach for most can sit in th");
}

TEST(HintDirector, APIExamples) {
  const Date now(700'000'000);
  const HintState state{.cardCount = 5, .availableActions = {HintAction::pinFromCardMenu}};
  HintDirector director;  // one for the life of the interface
  const HintDismissals dismissed;
  const auto tip = director.hint(HintScreen::home, state, dismissed, HintSuppression::none(),
                                 /*idleFor=*/20, now);  // the pin tip, after a pause
  if (tip) director.record(*tip, now);                  // the host shows it

  ASSERT_TRUE(tip);
  EXPECT_EQ(tip->id, HintID::pinToReadyRow);
  EXPECT_EQ(director.hint(HintScreen::home, state, dismissed, {}, 20, now + 600), std::nullopt);
  EXPECT_EQ(HintDirector().hint(HintScreen::home, state, dismissed, {}, 5, now), std::nullopt);
}

TEST(HintDismissals, APIExamples) {
  UserDefaults defaults;  // UserDefaults::standard() in the application
  const auto stored = defaults.data(HintDismissals::storageKey);
  HintDismissals dismissed = stored ? HintDismissals::decoded(*stored) : HintDismissals();
  dismissed.insert(HintID::pinToReadyRow);
  defaults.set(HintDismissals::storageKey, dismissed.encoded());  // ["pin-to-ready-row"]

  EXPECT_EQ(toString(defaults.data(HintDismissals::storageKey).value()), "[\"pin-to-ready-row\"]");
  EXPECT_TRUE(HintDismissals::decoded(*defaults.data(HintDismissals::storageKey))
                  .contains(HintID::pinToReadyRow));
}

TEST(LaunchChoreography, APIExamples) {
  const std::optional<double> readyAt = 0.5;  // seconds after the screen appeared
  const auto early = LaunchChoreography::frame(0.2, readyAt, /*reduceMotion=*/false);
  const double end = LaunchChoreography::dismissAt(readyAt, /*reduceMotion=*/false);
  const bool complete = LaunchChoreography::frame(end, readyAt, false).isComplete;  // true

  EXPECT_EQ(early.phase, LaunchChoreography::Phase::assembling);
  EXPECT_FALSE(early.isComplete);
  EXPECT_TRUE(complete);
  EXPECT_EQ(LaunchChoreography::dismissAt(std::nullopt, false), INFINITY);
}

TEST(OnboardingClosing, APIExamples) {
  const OnboardingClosing closing = OnboardingClosing::forClipboard(/*holdingText=*/true);
  const std::string clipboard = "\n  Invoice 42\nDue Friday";
  const std::string title = OnboardingClosing::mechanicalTitle(clipboard);  // "Invoice 42"

  EXPECT_EQ(closing, OnboardingClosing::holding());
  EXPECT_EQ(title, "Invoice 42");
}

TEST(OnboardingCopy, APIExamples) {
  const OnboardingScript& script = OnboardingCopy::standardScript();
  const std::string caption = OnboardingCopy::kicker(2, script.pageCount());  // "02 / 05"
  const std::string button = OnboardingCopy::next();                          // "Continue"

  EXPECT_EQ(caption, "02 / 05");
  EXPECT_EQ(button, "Continue");
}

TEST(OnboardingGate, APIExamples) {
  UserDefaults defaults;  // UserDefaults::standard() in the application
  OnboardingGate gate(defaults, /*arguments=*/{});
  const auto launch = OnboardingPresentationTrigger::launch;
  const bool present = shouldPresent(launch, gate.shouldShow());  // true: never completed
  gate.record(OnboardingOutcome::completed);
  const bool capture = shouldHandOverToCapture(launch, OnboardingOutcome::completed);  // true
  const bool again = gate.shouldShow();                                                // false

  EXPECT_TRUE(present);
  EXPECT_TRUE(capture);
  EXPECT_FALSE(again);
  EXPECT_TRUE(defaults.boolean(OnboardingGate::completionKey));
}

TEST(OnboardingLayout, APIExamples) {
  const auto height = OnboardingLayout::illustrationHeight(OnboardingTypeSize::large, 700);
  const auto [width, margin] = OnboardingLayout::composition(500);  // 420 wide, 40 aside

  EXPECT_EQ(height, 170);
  EXPECT_EQ(width, 420);
  EXPECT_EQ(margin, 40);
}

TEST(OnboardingMotion, APIExamples) {
  const OnboardingMotion motion = variant(/*reduceMotion=*/false);  // full
  const auto grid = OnboardingPage::Illustration::grid;
  const double settle = OnboardingScene::settleDuration(grid, motion);
  const double calm = OnboardingScene::settleDuration(grid, variant(true));  // shorter

  EXPECT_EQ(motion, OnboardingMotion::full);
  EXPECT_GT(settle, calm);
  EXPECT_LE(settle, OnboardingScene::settleBudget);
}

TEST(OnboardingOsselAnchor, APIExamples) {
  const OnboardingPage* page = OnboardingCopy::standardScript().page(0);
  const auto anchor = OnboardingOsselAnchor::anchor(page->illustration);
  const double x = anchor.centreX(390, 230, direction(/*isRightToLeft=*/false));
  const double mirrored = anchor.centreX(390, 230, direction(true));  // 390 - x

  EXPECT_DOUBLE_EQ(mirrored, 390 - x);
}

TEST(OnboardingPage, APIExamples) {
  const OnboardingPage* page = OnboardingCopy::standardScript().page(3);
  const std::string spoken = page->accessibilitySentence();  // title, body, then the picture
  const OnboardingSample* sample = page->interaction.copiedSample();  // this page's card to copy

  EXPECT_EQ(spoken, page->title + ". " + page->body + " " + page->illustrationDescription);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(*sample, OnboardingPractice::sample());
  EXPECT_EQ(OnboardingCopy::standardScript().page(0)->interaction.copiedSample(), nullptr);
}

TEST(OnboardingPager, APIExamples) {
  OnboardingProgress progress = OnboardingProgress::clampedTo(5);
  const OnboardingPager pager(5, progress.pageIndex(), /*width=*/390, /*translation=*/-120);
  const double offset = pager.offset();       // where the strip of pages is drawn
  progress.go(pager.commit(/*velocity=*/0));  // the second page: the drag went far enough

  EXPECT_EQ(offset, -120);
  EXPECT_EQ(progress.pageIndex(), 1);
}

TEST(OnboardingPractice, APIExamples) {
  OnboardingPractice practice;
  practice.saveExample();
  const bool found = !practice.results("rebrand").empty();          // the real search engine
  const std::string copied = OnboardingPractice::sample().payload;  // what the user copies
  practice.recordCopy(copied);
  const auto pasted = practice.recordPaste(copied);  // matched

  EXPECT_TRUE(found);
  EXPECT_EQ(pasted, OnboardingPractice::PasteResult::matched);
  EXPECT_EQ(practice.phase(), OnboardingPractice::Phase::pasted);
}

TEST(OnboardingProgress, APIExamples) {
  OnboardingProgress progress = OnboardingProgress::make(5, 3).value();  // page 4 of 5
  progress.advance();                                                    // to the last page
  const bool finishes = progress.advance().isFinish();    // true: the last page finishes
  const std::string state = progress.pageControlValue();  // "Page 5 of 5"

  EXPECT_TRUE(finishes);
  EXPECT_EQ(state, "Page 5 of 5");
}

TEST(OnboardingScript, APIExamples) {
  const OnboardingScript& script = OnboardingCopy::standardScript();
  std::vector<std::string> titles;  // "Keep what matters. Find it in a breath.", ...
  for (std::int64_t i = 0; i < script.pageCount(); ++i) titles.push_back(script.page(i)->title);

  ASSERT_EQ(titles.size(), 5u);
  EXPECT_EQ(titles[0], "Keep what matters. Find it in a breath.");
  EXPECT_EQ(titles[4], "What will you keep first?");
}

TEST(OnboardingTrail, APIExamples) {
  const OnboardingPager pager(5, 1, /*width=*/390, /*translation=*/-195);  // halfway to page 3
  const OnboardingTrail trail(pager);
  std::vector<double> fills;  // 1, 1, 0.5, 0, 0
  for (std::int64_t i = 0; i < trail.segmentCount(); ++i) fills.push_back(trail.fill(i));

  EXPECT_EQ(fills, (std::vector<double>{1, 1, 0.5, 0, 0}));
}

TEST(OnboardingWash, APIExamples) {
  std::vector<double> radii;
  for (const auto& layer : OnboardingWash::layers(KelvoTheme::Appearance::light))
    radii.push_back(OnboardingWash::radius(390, 844, layer));  // a share of the longer side

  const auto& layers = OnboardingWash::layers(KelvoTheme::Appearance::light);
  ASSERT_EQ(radii.size(), layers.size());
  EXPECT_DOUBLE_EQ(radii[0], 844 * layers[0].radiusFraction());
  EXPECT_EQ(OnboardingWash::radius(844, 390, layers[0]), radii[0]);
}

TEST(ReviewRequestPolicy, APIExamples) {
  UserDefaults defaults;  // UserDefaults::standard() in the application
  ReviewRequestPolicy policy(defaults, /*arguments=*/{});
  const ReviewRequestPolicy::Context idle;          // no sheet, no typing, no tour
  const auto first = policy.decision("5.1", idle);  // ask
  policy.recordAsked("5.1");
  const auto again = policy.decision("5.1", idle);  // never: once a version

  EXPECT_EQ(first, ReviewRequestPolicy::Decision::ask);
  EXPECT_EQ(again, ReviewRequestPolicy::Decision::never);
  EXPECT_EQ(policy.decision("5.2", {.isSheetPresented = true}),
            ReviewRequestPolicy::Decision::deferred);
}

TEST(SampleTiming, APIExamples) {
  const Calendar calendar = Calendar::current();
  const Date now = calendar.date(2025, 3, 12, 0, 30).value();              // half past midnight
  const Date stamp = SampleTiming::withinToday(2 * 3'600, now, calendar);  // still today

  EXPECT_EQ(stamp, calendar.date(2025, 3, 12, 0, 0, 1).value());
}

TEST(TutorialCatalogue, APIExamples) {
  std::vector<std::string> rows;  // seven on touch devices
  for (const TutorialFeature& feature : TutorialCatalogue::listed(TutorialPlatform::touch))
    rows.push_back(feature.title + ": " + feature.purpose);

  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].substr(0, 20), "Keep and reuse: For ");
}

TEST(TutorialLibrary, APIExamples) {
  const auto playable = [](const std::filesystem::path& resources) {
    const TutorialLibrary library([resources](std::string_view name) -> std::optional<URL> {
      const auto path = resources / TutorialCatalogue::bundleSubdirectory / name;
      return std::filesystem::exists(path) ? std::optional(URL::fileURL(path)) : std::nullopt;
    });
    return library.featuresWithClips();  // the touch tutorials with a clip to play
  };

  testing::TemporaryDirectory resources;
  const auto features = TutorialCatalogue::listed(TutorialPlatform::touch);
  std::filesystem::create_directory(resources.path() / TutorialCatalogue::bundleSubdirectory);
  const auto clip = [&](const TutorialFeature& feature) {
    return resources.path() / TutorialCatalogue::bundleSubdirectory / feature.clipFilename();
  };
  std::ofstream(clip(features[1])) << "clip";
  std::ofstream(clip(features[2]));  // empty: nothing to play
  const auto found = playable(resources.path());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], features[1]);
  EXPECT_TRUE(playable(resources.path() / "elsewhere").empty());
}

}  // namespace
}  // namespace kelvo
