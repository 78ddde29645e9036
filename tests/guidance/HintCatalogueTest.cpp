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

  const Hint& group = *HintCatalogue::hint(groupOnAShelf);
  EXPECT_EQ(group.screen, HintScreen::home);
  EXPECT_EQ(group.priority, 60);
  EXPECT_EQ(group.requires_, HintAction::openShelves);
  EXPECT_EQ(group.when, (std::vector<HintCondition>{HintCondition::cardsAtLeast(10),
                                                    HintCondition::onlyTheDefaultShelf()}));
}

TEST(HintCatalogueTest, MessagesAreExact) {
  const char* const expected[] = {
      "Next time you keep something, type {name} where a name goes \xE2\x80\x94 Kelvo asks you "
      "for it each time you reuse the card.",
      "The card you reach for most can sit in the Ready Row \xE2\x80\x94 pin it from the card's "
      "own menu.",
      "The bell opens your Agenda, where a card can be set to come back when you need it.",
      "Filling something in? Fill a form, in the header, hands you your own details one tap at "
      "a time.",
      "Search reads the words inside your images and documents, not just their titles.",
      "Shelves keep related cards together \xE2\x80\x94 the stack in the header makes one.",
      "Done clears a reminder from today \xE2\x80\x94 the card itself stays in Kelvo.",
      "Copy a field, switch to the form, come back \xE2\x80\x94 Kelvo keeps your place in the "
      "list.",
  };
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(HintCatalogue::all()[i].message, expected[i]);
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
