#include "core/guidance/HintDismissals.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/DecodingError.hpp"

namespace kelvo {
namespace {

TEST(HintDismissalsTest, EncodesSortedAndKeepsUnknownIdentifiers) {
  const HintDismissals dismissals(HintDismissals::RawIDs{"old-tip", "group-on-a-shelf"});
  EXPECT_EQ(toString(dismissals.encoded()), R"(["group-on-a-shelf","old-tip"])");
  EXPECT_EQ(HintDismissals::decoded(dismissals.encoded()), dismissals);
  EXPECT_TRUE(dismissals.contains(HintID::groupOnAShelf));
  EXPECT_FALSE(dismissals.contains(HintID::pinToReadyRow));

  EXPECT_EQ(HintDismissals::decoded(std::string_view(R"(["x","x"])")).rawIDs().size(), 1u);
  EXPECT_TRUE(HintDismissals::decoded(std::string_view("[]")).isEmpty());
  EXPECT_EQ(toString(HintDismissals().encoded()), "[]");
  for (const char* bad : {R"({"a":1})", "[1]", R"("pin-to-ready-row")", "[null]", "", "[\"a\""}) {
    EXPECT_THROW(HintDismissals::decoded(std::string_view(bad)), DecodingError) << bad;
  }
}

TEST(HintDismissalsTest, KnowsWhenAScreenHasNothingLeft) {
  HintDismissals dismissals;
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::fillForm));
  dismissals.insert(HintID::fillKeepsYourPlace);
  EXPECT_TRUE(dismissals.hasDismissedEverything(HintScreen::fillForm));
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::home));
  dismissals = {HintID::blanksInACard,
                HintID::pinToReadyRow,
                HintID::remindersLiveBehindTheBell,
                HintID::fillAFormFromYourFacts,
                HintID::searchLooksInsideFiles,
                HintID::groupOnAShelf};
  EXPECT_TRUE(dismissals.hasDismissedEverything(HintScreen::home));
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::agenda));
}

}  // namespace
}  // namespace kelvo
