#include "core/guidance/HintCatalogue.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo {
namespace {

std::vector<HintID> ids(const std::vector<Hint>& hints) {
  std::vector<HintID> result;
  for (const Hint& hint : hints) result.push_back(hint.id);
  return result;
}

TEST(HintCatalogueTest, ScreensCarryTheirTipsInPriorityOrder) {
  using enum HintID;
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::home)),
            (std::vector<HintID>{blanksInACard, pinToReadyRow, remindersLiveBehindTheBell,
                                 fillAFormFromYourFacts, searchLooksInsideFiles, groupOnAShelf}));
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::agenda)), std::vector<HintID>{doneKeepsTheCard});
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::fillForm)),
            std::vector<HintID>{fillKeepsYourPlace});
  ASSERT_EQ(HintCatalogue::all().size(), 8u);
  for (HintID id : allCases<HintID>()) ASSERT_EQ(HintCatalogue::hint(id)->id, id);
}

TEST(HintCatalogueTest, MessagesAreExact) {
  const auto& all = HintCatalogue::all();
  EXPECT_EQ(
      all[0].message,
      "Next time you keep something, type {name} where a name goes \xE2\x80\x94 Kelvo asks you "
      "for it each time you reuse the card.");
  EXPECT_EQ(all[4].message,
            "Search reads the words inside your images and documents, not just their titles.");
  EXPECT_EQ(
      all[7].message,
      "Copy a field, switch to the form, come back \xE2\x80\x94 Kelvo keeps your place in the "
      "list.");
}

TEST(HintCatalogueTest, ConditionsAndEligibility) {
  using C = HintCondition;
  HintState state;
  state.reminderCount = -1;
  EXPECT_FALSE(C::noReminders().matches(state));
  EXPECT_FALSE(C::hasReminders().matches(state));
  for (std::int64_t shelves : {0, 1, 2}) {
    state.shelfCount = shelves;
    EXPECT_EQ(C::onlyTheDefaultShelf().matches(state), shelves < 2) << shelves;
  }
  state.cardCount = 3;
  EXPECT_TRUE(C::cardsAtLeast(3).matches(state));
  EXPECT_FALSE(C::cardsAtLeast(4).matches(state));
  EXPECT_NE(C::cardsAtLeast(3), C::cardsAtLeast(4));

  const Hint& group = *HintCatalogue::hint(HintID::groupOnAShelf);
  HintState library{
      .cardCount = 10, .shelfCount = 1, .availableActions = {HintAction::openShelves}};
  EXPECT_TRUE(group.isEligible(library));
  library.cardCount = 9;
  EXPECT_FALSE(group.isEligible(library));
  library.cardCount = 10;
  library.availableActions.clear();
  EXPECT_FALSE(group.isEligible(library));
}

TEST(HintCatalogueTest, IdentifiersCodeAsTheirRawValues) {
  EXPECT_EQ(fromRawValue<HintID>("fill-keeps-your-place"), HintID::fillKeepsYourPlace);
  EXPECT_EQ(fromRawValue<HintID>("Fill-keeps-your-place"), std::nullopt);
  EXPECT_EQ(fromRawValue<HintScreen>("Home"), std::nullopt);

  const Json good = json::parse("\"fill-keeps-your-place\"", true);
  EXPECT_EQ(decodeHintID(JSONReader(good)), HintID::fillKeepsYourPlace);
  const Json unknown = json::parse("\"Fill-keeps-your-place\"", true);
  try {
    decodeHintID(JSONReader(unknown));
    ADD_FAILURE() << "an unknown identifier decoded";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
  }
  const Json number = json::parse("3", true);
  EXPECT_THROW(decodeHintID(JSONReader(number)), DecodingError);
  Json written;
  to_json(written, HintID::doneKeepsTheCard);
  EXPECT_EQ(json::write(written), "\"done-keeps-the-card\"");
}

}  // namespace
}  // namespace kelvo
