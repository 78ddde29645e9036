#include "core/guidance/OnboardingPractice.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

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
