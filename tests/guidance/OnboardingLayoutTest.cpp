#include "core/guidance/OnboardingLayout.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/design/KelvoPalette.hpp"
#include "core/guidance/OnboardingClosing.hpp"
#include "core/guidance/OnboardingCopy.hpp"
#include "core/guidance/OnboardingMotion.hpp"
#include "core/guidance/OnboardingOsselAnchor.hpp"
#include "core/guidance/OnboardingPager.hpp"
#include "core/guidance/OnboardingPractice.hpp"
#include "core/guidance/OnboardingProgress.hpp"
#include "core/guidance/OnboardingTrail.hpp"
#include "core/guidance/OnboardingWash.hpp"

namespace kelvo {
namespace {

using L = OnboardingLayout;
using T = OnboardingTypeSize;
using I = OnboardingPage::Illustration;
constexpr auto ltr = OnboardingWritingDirection::leftToRight;
constexpr auto rtl = OnboardingWritingDirection::rightToLeft;

TEST(OnboardingLayoutTest, BandAndCopy) {
  EXPECT_EQ(L::illustrationHeight(T::standard, 340), 230);
  EXPECT_EQ(L::illustrationHeight(T::standard, 339.9), std::nullopt);
  EXPECT_EQ(L::illustrationHeight(T::accessibility, 1e6), std::nullopt);
  EXPECT_EQ(L::illustrationHeight(T::standard, std::nan("")), std::nullopt);
  EXPECT_EQ(L::copyCeiling(T::standard, 230), 176);
  EXPECT_EQ(L::copyCeiling(T::standard, std::nullopt), std::nullopt);
  EXPECT_EQ(L::copyCeiling(T::accessibility, 230), std::nullopt);
  EXPECT_EQ(L::composition(1000), (L::Composition{420, 290}));
  EXPECT_EQ(L::composition(-5), (L::Composition{0, 0}));
  EXPECT_EQ(L::composition(INFINITY), (L::Composition{0, 0}));
  EXPECT_EQ(horizontalSign(direction(true)), -1.0);
}

TEST(OnboardingLayoutTest, MascotAndWash) {
  const auto copy = OnboardingOsselAnchor::anchor(I::copy);
  EXPECT_EQ(copy.scaledHeight(230), 38);
  EXPECT_EQ(copy.scaledHeight(30), 30);
  EXPECT_EQ(copy.centreY(40), 22);
  EXPECT_EQ(copy.centreY(std::nan("")), 0);

  const auto fill = OnboardingOsselAnchor::anchor(I::fill);
  EXPECT_NEAR(fill.centreX(400, 230, ltr), 375.083, 1e-3);
  EXPECT_NEAR(fill.centreX(400, 230, rtl), 24.917, 1e-3);
  const auto identity = OnboardingOsselAnchor::anchor(I::identity);
  EXPECT_EQ(identity, OnboardingOsselAnchor::anchor(I::keep));
  EXPECT_EQ(identity.centreX(400, 230, rtl), 200);
  EXPECT_EQ(identity.centreX(INFINITY, INFINITY, ltr), 0);

  const OnboardingOsselAnchor clamped(OnboardingOsselAnchor::Lane::centre, std::nan(""), -4,
                                      Ossel::Expression::idle);
  EXPECT_EQ(clamped.verticalFraction(), 0);
  EXPECT_EQ(clamped.height(), 1);
  const OnboardingWash::Layer odd(KelvoColorToken::accentWash, 1.4, -0.2, -1);
  EXPECT_EQ(odd.opacity(), 1);
  EXPECT_EQ(odd.centreY(), 0);
  EXPECT_EQ(odd.radiusFraction(), 0);
  const auto& light = OnboardingWash::layers(KelvoTheme::Appearance::light);
  const auto& dark = OnboardingWash::layers(KelvoTheme::Appearance::dark);
  ASSERT_EQ(light.size(), 1u);
  ASSERT_EQ(dark.size(), 2u);
  EXPECT_NEAR(OnboardingWash::radius(1024, 768, light[0]), 634.88, 1e-9);
  EXPECT_EQ(OnboardingWash::radius(NAN, -1, dark[0]), 0);
}

using M = OnboardingMotion;

TEST(OnboardingMotionTest, DurationsSchedulesAndEasing) {
  EXPECT_EQ(variant(true), M::crossFade);
  EXPECT_EQ(sequenceDuration(M::full, 0), 0);
  EXPECT_EQ(sequenceDuration(M::crossFade, -3), 0);
  const std::vector<double> grid = OnboardingScene::schedule(I::grid, M::full);
  ASSERT_EQ(grid.size(), 5u);
  EXPECT_EQ(grid[0], 0);
  EXPECT_NEAR(grid[4], 1.72, 1e-12);
  EXPECT_EQ(OnboardingScene::schedule(I::identity, M::crossFade), std::vector<double>(4, 0.0));
  EXPECT_EQ(fromRawValue<OnboardingHandoff::Step>("OpenCapture"), std::nullopt);
  const struct {
    double elapsed;
    bool reduce;
    double progress;
  } frames[] = {{0.2, false, 0.578125},
                {0.4, false, 0.875},
                {0.8, false, 1},
                {5, false, 1},
                {-1, false, 0},
                {INFINITY, false, 1},
                {std::nan(""), false, 0},
                {-INFINITY, false, 0},
                {0, true, 1}};
  for (const auto& frame : frames) {
    EXPECT_DOUBLE_EQ(OnboardingGraphic::frame(I::fill, frame.elapsed, frame.reduce).progress,
                     frame.progress)
        << frame.elapsed;
  }
}

TEST(OnboardingProgressTest, StaysInRangeAdvancesAndFillsTheTrail) {
  EXPECT_EQ(OnboardingProgress::make(0, 0), std::nullopt);
  EXPECT_EQ(OnboardingProgress::make(-3, 0), std::nullopt);
  auto last = *OnboardingProgress::make(5, 9);
  EXPECT_EQ(last.pageIndex(), 4);
  EXPECT_TRUE(last.isFinalPage());
  EXPECT_EQ(last.advance(), OnboardingAdvance::finish());
  EXPECT_EQ(last.pageIndex(), 4);
  EXPECT_EQ(last.primaryActionTitle(), "Keep your first thing");
  last.go(5);
  last.go(-1);
  EXPECT_EQ(last.pageIndex(), 4);

  auto middle = *OnboardingProgress::make(5, 2);
  EXPECT_EQ(middle.pageControlValue(), "Page 3 of 5");
  EXPECT_EQ(middle.fraction(), 0.5);
  EXPECT_EQ(middle.primaryActionTitle(), "Continue");
  EXPECT_EQ(middle.advanceAction(), OnboardingAdvance::next(3));
  EXPECT_EQ(middle.pageIndex(), 2);
  EXPECT_EQ(middle.advance(), OnboardingAdvance::next(3));
  EXPECT_EQ(middle.pageIndex(), 3);
  EXPECT_EQ(OnboardingProgress::make(2000, 1233)->pageControlValue(), "Page 1,234 of 2,000");

  auto first = OnboardingProgress::clampedTo(-4);
  EXPECT_TRUE(first.isOnlyPage());
  EXPECT_EQ(first.fraction(), 1.0);
  first.goBack();
  EXPECT_EQ(first.pageIndex(), 0);
  EXPECT_EQ(first.advance(), OnboardingAdvance::finish());
  const OnboardingTrail trail(4, 2.25);
  const double fills[] = {1, 1, 1, 0.25};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(trail.fill(i), fills[i]) << i;
  EXPECT_EQ(trail.fill(-1), 0);
  EXPECT_EQ(trail.fill(4), 0);
  EXPECT_EQ(trail.nearestSegment(), 2);
  EXPECT_DOUBLE_EQ(trail.headFraction(), 0.8125);
  EXPECT_TRUE(trail.isComplete(2));
  EXPECT_FALSE(trail.isComplete(3));
  EXPECT_EQ(OnboardingTrail(4, 2.5).nearestSegment(), 3);

  EXPECT_EQ(OnboardingTrail(OnboardingPager(5, 4, 300, -60)).position(), 4);
  EXPECT_EQ(OnboardingTrail(3, INFINITY).position(), 0);
  EXPECT_EQ(OnboardingTrail(3, std::nan("")).position(), 0);
  EXPECT_EQ(OnboardingTrail(3, 7).position(), 2);
  EXPECT_EQ(OnboardingTrail(0, 7).segmentCount(), 1);
  const OnboardingTrail huge(INT64_MAX, 1e300);
  EXPECT_EQ(huge.nearestSegment(), INT64_MAX - 1);
}

TEST(OnboardingPagerTest, RubberBandPastTheEnds) {
  const OnboardingPager last(5, 4, 300, -60);
  EXPECT_NEAR(last.resistedTranslation(), -31.4286, 1e-4);
  EXPECT_EQ(last.clampedProgress(), 4);
  EXPECT_NEAR(last.offset(), -1231.43, 1e-2);
  EXPECT_EQ(last.commit(-2000), 4);

  const OnboardingPager first(5, 0, 400, 100);
  EXPECT_NEAR(first.resistedTranslation(), 8800.0 / 188, 1e-9);
  EXPECT_EQ(first.clampedProgress(), 0);
  // Inward pulls and single pages.
  EXPECT_EQ(OnboardingPager(5, 2, 300, -60).resistedTranslation(), -60);
  EXPECT_LT(std::abs(OnboardingPager(1, 0, 300, 1e9).resistedTranslation()), 66);
  EXPECT_LT(std::abs(OnboardingPager(1, 0, 1e300, -1e308).resistedTranslation()), 0.22e300);
}

TEST(OnboardingPagerTest, ReleaseDecidesThePageAndNonFiniteInputIsZero) {
  const struct {
    double translation, velocity;
    std::int64_t page;
  } releases[] = {
      {-66, 0, 3},    {-65, 0, 2},  {66, 0, 1},  {-5, -320, 3},
      {100, -600, 2}, {0, -320, 3}, {0, 319, 2}, {0, 0, 2},
  };
  for (const auto& release : releases) {
    EXPECT_EQ(OnboardingPager(5, 2, 300, release.translation).commit(release.velocity),
              release.page)
        << release.translation << " " << release.velocity;
  }
  const OnboardingPager settled = OnboardingPager(5, 2, 300, -100).settled(0);
  EXPECT_EQ(settled, OnboardingPager(5, 3, 300, 0));
  EXPECT_EQ(OnboardingPager(1, 0, 300, -200).commit(-900), 0);
  const double nan = std::nan("");
  const OnboardingPager pager(5, 2, nan, INFINITY);
  EXPECT_EQ(pager.width(), 0);
  EXPECT_EQ(pager.translation(), 0);
  EXPECT_EQ(pager.progress(), 2);
  EXPECT_EQ(OnboardingPager(5, 2, INFINITY, -50).width(), 0);
  EXPECT_EQ(OnboardingPager(5, 2, 300, nan).offset(), -600);
  EXPECT_EQ(OnboardingPager(5, 2, 300, -10).commit(nan), 2);
  EXPECT_EQ(OnboardingPager(5, 2, 300, -10).commit(-INFINITY), 2);
  EXPECT_EQ(OnboardingPager(9, 99, 300, 0).pageIndex(), 8);

  EXPECT_TRUE(OnboardingPager::claimsDrag(-12, 10));
  EXPECT_FALSE(OnboardingPager::claimsDrag(5, 5));
  EXPECT_FALSE(OnboardingPager::claimsDrag(0, 0));
  EXPECT_FALSE(OnboardingPager::claimsDrag(11, 10));

  const std::hash<OnboardingPager> hash;
  EXPECT_EQ(OnboardingPager(5, 2, 300, -0.0), OnboardingPager(5, 2, 300, 0.0));
  EXPECT_EQ(hash(OnboardingPager(5, 2, 300, -0.0)), hash(OnboardingPager(5, 2, 300, 0.0)));
}

using Illustration = OnboardingPage::Illustration;

TEST(OnboardingCopyTest, StandardScriptCaptionsAndFacts) {
  const OnboardingScript& script = OnboardingCopy::standardScript();
  ASSERT_EQ(script.pageCount(), 5);
  EXPECT_EQ(script.page(-1), nullptr);
  EXPECT_EQ(script.page(5), nullptr);
  const Illustration order[] = {Illustration::identity, Illustration::grid, Illustration::fill,
                                Illustration::copy, Illustration::keep};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(script.page(i)->id(), order[i]);

  EXPECT_EQ(script.page(0)->accessibilitySentence(),
            "Keep what matters. Find it in a breath.. Snippets, images and "
            "documents\u2014gathered into one quiet place, ready to reuse. A faceted kelvo mark "
            "catches a narrow seam of light, then settles.");
  EXPECT_EQ(script.page(2)->body,
            "Search for \u201Cintro\u201D. Kelvo looks through titles, text, tags and shelves "
            "together.");

  for (int i = 0; i < 5; ++i) {
    const OnboardingSample* sample = script.page(i)->interaction.copiedSample();
    EXPECT_EQ(sample != nullptr, i == 3);
  }
  const OnboardingSample& reply = *script.page(3)->interaction.copiedSample();
  EXPECT_EQ(reply, OnboardingPractice::sample());
  EXPECT_EQ(reply.title, "Intro reply \u2014 client onboarding");
  EXPECT_EQ(reply.payload,
            "Hi Zo\u00EB, thanks for reaching out about the rebrand. I\u2019d be glad to "
            "help\u2014here are the next steps.");
  EXPECT_EQ(OnboardingSample::standard().payload, "Kelvo Ltd \u00B7 GB00 KLVX 0000 0000 0000 00");
  EXPECT_EQ(OnboardingCopy::kicker(7, 120), "07 / 120");
  EXPECT_EQ(OnboardingCopy::kicker(-1, 12), "00 / 12");
  EXPECT_EQ(OnboardingCopy::kicker(12345, 5), "12345 / 05");
  EXPECT_EQ(OnboardingIdentifiers::trailSegment(-3), "onboarding.trail.-3");
  EXPECT_EQ(OnboardingIdentifiers::trailSegment(1234), "onboarding.trail.1234");
  EXPECT_EQ(OnboardingCopy::gridSnippet,
            "Thanks so much \u2014 I'll get the invoice over to you today.");

  const auto& facts = OnboardingCopy::factRows();
  ASSERT_EQ(facts.size(), 3u);
  EXPECT_EQ(facts[2], (OnboardingCopy::Fact{"VAT number", "GB 000 0000 00"}));
}

TEST(OnboardingCopyTest, ClosingScreen) {
  EXPECT_EQ(OnboardingClosing::forClipboard(true), OnboardingClosing::holding());
  const OnboardingClosing empty = OnboardingClosing::forClipboard(false);
  EXPECT_EQ(empty, OnboardingClosing::empty());
  EXPECT_EQ(empty.primaryActionTitle, "Keep your first thing");
  EXPECT_EQ(OnboardingClosing::holding().title, "Keep what's already yours");
  EXPECT_EQ(OnboardingClosing::readFailure().body,
            "That copy has gone \u2014 something else took the clipboard. Keep anything you like "
            "instead.");

  const std::string eighty(80, 'x');
  const struct {
    std::string text, title;
  } titles[] = {
      {"  \n  Hello\nWorld  ", "Hello"},
      {"Hello\r\nWorld", "Hello\r\nWorld"},
      {eighty, eighty.substr(0, 60)},
      {" \t\n ", ""},
      {"", ""},
  };
  for (const auto& [text, title] : titles) {
    EXPECT_EQ(OnboardingClosing::mechanicalTitle(text), title) << text;
  }
  std::string accented;
  for (int i = 0; i < 61; ++i) accented += "e\u0301";
  EXPECT_EQ(OnboardingClosing::mechanicalTitle(accented), accented.substr(0, 60 * 3));
}

using Phase = OnboardingPractice::Phase;
using PasteResult = OnboardingPractice::PasteResult;

TEST(OnboardingPracticeTest, FindsTheSavedExampleThroughTheRealIndex) {
  OnboardingPractice practice;
  EXPECT_TRUE(practice.results("intro").empty());
  EXPECT_TRUE(practice.saveExample());
  EXPECT_FALSE(practice.saveExample());
  EXPECT_EQ(practice.savedCardCount(), 1);
  EXPECT_EQ(practice.phase(), Phase::saved);

  for (const char* query : {"zoe", "INTRO", "rebr", "work", "onboarding"}) {
    const auto found = practice.results(query);
    ASSERT_EQ(found.size(), 1u) << query;
    EXPECT_EQ(found[0], OnboardingPractice::sample());
  }
  for (const char* query : {"intro zebra", " ?! ", ""}) {
    EXPECT_TRUE(practice.results(query).empty()) << query;
  }
}

TEST(OnboardingPracticeTest, CopyThenPasteTheExactReply) {
  const std::string payload = OnboardingPractice::sample().payload;
  OnboardingPractice practice;
  EXPECT_FALSE(practice.recordCopy(payload));
  EXPECT_EQ(practice.phase(), Phase::readyToSave);

  practice.saveExample();
  EXPECT_EQ(practice.recordPaste(payload), PasteResult::mismatch);
  EXPECT_EQ(practice.phase(), Phase::saved);
  EXPECT_EQ(practice.draft(), payload);
  EXPECT_FALSE(practice.recordCopy(payload + " "));
  EXPECT_TRUE(practice.recordCopy(payload));
  EXPECT_EQ(practice.phase(), Phase::copied);

  EXPECT_EQ(practice.recordPaste("Hi"), PasteResult::mismatch);
  EXPECT_EQ(practice.draft(), "Hi");
  EXPECT_EQ(practice.phase(), Phase::copied);
  // The same reply with "ë" decomposed into "e" and U+0308 is canonically equal.
  std::string decomposed = payload;
  decomposed.replace(decomposed.find("\u00EB"), 2, "e\u0308");
  EXPECT_EQ(practice.recordPaste(decomposed), PasteResult::matched);
  EXPECT_EQ(practice.phase(), Phase::pasted);
  EXPECT_EQ(practice.recordPaste(payload), PasteResult::matched);

  practice.reset();
  EXPECT_EQ(practice, OnboardingPractice());
}

}  // namespace
}  // namespace kelvo
