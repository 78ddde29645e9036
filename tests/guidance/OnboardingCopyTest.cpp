#include "core/guidance/OnboardingCopy.hpp"

#include <gtest/gtest.h>

#include "core/guidance/OnboardingClosing.hpp"
#include "core/guidance/OnboardingPractice.hpp"

namespace kelvo {
namespace {

using Illustration = OnboardingPage::Illustration;

TEST(OnboardingCopyTest, StandardScript) {
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
}

TEST(OnboardingCopyTest, CaptionsFactsAndIdentifiers) {
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
