#include "core/widget/KelvoURL.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/widget/KelvoWidgetAction.hpp"
#include "core/widget/KelvoWidgetState.hpp"
#include "tests/support/RawValuesTests.hpp"

namespace kelvo::testing {
using WidgetEnumerations = ::testing::Types<KelvoWidgetAction>;
INSTANTIATE_TYPED_TEST_SUITE_P(Widget, RawValuesTest, WidgetEnumerations);
}  // namespace kelvo::testing

namespace kelvo {
namespace {

const std::string ID = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
const UUID id = *UUID::parse(ID);

std::string printed(const std::optional<KelvoURL>& link) {
  if (!link) return "no value";
  const auto url = link->url();
  return url ? url->absoluteString() : "(no url)";
}

TEST(KelvoURLTest, ReadsEveryAcceptedLink) {
  struct Row {
    std::string link;
    std::optional<KelvoURL> expected;
  };
  const std::vector<Row> table{
      {"kelvo://card/" + ID, KelvoURL::card(id)},
      {"kelvo://card?id=" + ID, KelvoURL::card(id)},
      {"KELVO://Card/" + ID, KelvoURL::card(id)},
      {"kelvo:///card/" + ID, KelvoURL::card(id)},
      {"kelvo://card", std::nullopt},
      {"kelvo://card/XYZ", std::nullopt},
      {"kelvo://card?id=", std::nullopt},
      {"kelvo://card/XYZ?id=" + ID, std::nullopt},
      {"kelvo://show/" + ID, KelvoURL::show(id)},
      {"kelvo://fill/" + ID, KelvoURL::fill(id)},
      {"kelvo://fill", KelvoURL::fillForm()},
      {"kelvo://fill/XYZ", KelvoURL::fillForm()},
      {"kelvo://fill?id=" + ID + "&id=XYZ", KelvoURL::fill(id)},
      {"kelvo://keep", KelvoURL::keep()},
      {"kelvo://keep?text=", KelvoURL::keep()},
      {"kelvo://keep/hello", KelvoURL::keep("hello")},
      {"kelvo://keep/one?text=two", KelvoURL::keep("two")},
      {"kelvo://keep?text&text=hello", KelvoURL::keep("hello")},
      {"kelvo://keep?Text=hello", KelvoURL::keep()},
      {"kelvo://search?q=invoice", KelvoURL::search("invoice")},
      {"kelvo://search/invoice", KelvoURL::search("invoice")},
      {"kelvo://search?q=a&text=b", KelvoURL::search("a")},
      {"kelvo://search?q=%20a%20", KelvoURL::search(" a ")},
      {"kelvo://search?q=a+b", KelvoURL::search("a+b")},
      {"kelvo://search", std::nullopt},
      {"kelvo://search?q=%20", std::nullopt},
      {"kelvo://search?q=%20&text=b", std::nullopt},  // a blank "q" does not fall back
      {"kelvo://open", std::nullopt},
      {"https://card/" + ID, std::nullopt},
      {"mailto:card", std::nullopt},
  };
  for (const Row& row : table) {
    const auto url = URL::parse(row.link);
    ASSERT_TRUE(url) << row.link;
    EXPECT_EQ(KelvoURL::parse(*url), row.expected)
        << row.link << " read as " << printed(KelvoURL::parse(*url));
  }
  EXPECT_FALSE(KelvoURL::parse(std::string_view("not a link")));
  EXPECT_FALSE(KelvoURL::parse(std::string_view("")));
}

TEST(KelvoURLTest, BuildsLinksThatReadBack) {
  EXPECT_EQ(printed(KelvoURL::card(id)), "kelvo://card/" + ID);
  EXPECT_EQ(printed(KelvoURL::fill(id)), "kelvo://fill/" + ID);
  EXPECT_EQ(printed(KelvoURL::fillForm()), "kelvo://fill");
  EXPECT_EQ(printed(KelvoURL::keep("")), "kelvo://keep");
  EXPECT_EQ(printed(KelvoURL::search("*")), "kelvo://search?q=%2A");

  for (const KelvoURL& link : {KelvoURL::show(id), KelvoURL::keep(), KelvoURL::keep("one/two?#%"),
                               KelvoURL::search("a+b&c=d é"), KelvoURL::search(" spaced "),
                               KelvoURL::search("日本語 🙂"), KelvoURL::keep("line\nbreak")}) {
    const auto url = link.url();
    ASSERT_TRUE(url) << printed(link);
    EXPECT_EQ(KelvoURL::parse(*url), link) << url->absoluteString();
  }
  // The two that do not come back: an empty text is no text, a blank query no search.
  EXPECT_NE(KelvoURL::keep(), KelvoURL::keep(""));
  EXPECT_EQ(KelvoURL::parse(*KelvoURL::keep("").url()), KelvoURL::keep());
  EXPECT_FALSE(KelvoURL::parse(*KelvoURL::search(" \n").url()));
}

TEST(KelvoWidgetActionTest, TilesAreKeepFillSearchWithTheirLinks) {
  EXPECT_FALSE(fromRawValue<KelvoWidgetAction>("Keep"));
  const auto& tiles = KelvoWidgetTile::all();
  ASSERT_EQ(tiles.size(), 3u);
  EXPECT_EQ(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::keep, *URL::parse("kelvo://keep")}));
  EXPECT_EQ(tiles[1], (KelvoWidgetTile{KelvoWidgetAction::fill, *URL::parse("kelvo://fill")}));
  EXPECT_EQ(tiles[2].action, KelvoWidgetAction::search);
  EXPECT_EQ(KelvoURL::parse(tiles[2].url), KelvoURL::search("*"));
  EXPECT_EQ(tiles[1].accessibilityLabel(), "Fill a form with details from Kelvo");
  // Equal only when both the action and the link are.
  EXPECT_NE(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::keep, tiles[1].url}));
  EXPECT_NE(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::fill, tiles[0].url}));
}

TEST(KelvoWidgetStateTest, EveryStateHasItsWordsIconAndCards) {
  const KelvoWidgetSnapshot shown({{UUID::random(), "Passport", CardType::fact}}, 1, Date(50));
  const std::pair<KelvoWidgetState, KelvoIcon> all[] = {
      {KelvoWidgetState::outdated(Date(7)), KelvoIcon::outdated},
      {KelvoWidgetState::cards(shown), KelvoIcon::readyRow},
      {KelvoWidgetState::unavailable(), KelvoIcon::unavailable},
      {KelvoWidgetState::waiting(), KelvoIcon::waiting},
      {KelvoWidgetState::empty(), KelvoIcon::empty},
  };
  for (const auto& [state, icon] : all) {
    EXPECT_EQ(state.icon(), icon);
    EXPECT_EQ(state.accessibilityLabel(), state.headline() + ". " + state.detail());
    EXPECT_EQ(state.cards().size(), &state == &all[1].first ? 1u : 0u);
  }
  EXPECT_EQ(all[0].first.detail(),
            "Kelvo hasn't run in a while. Open it to bring this up to date.");
  EXPECT_EQ(
      all[2].first.detail(),
      "This build can't read your library from a widget. The Kelvo actions widget still works.");
  EXPECT_EQ(all[4].first.headline(), "Nothing kept yet");
  EXPECT_NE(KelvoWidgetState::outdated(Date(7)), KelvoWidgetState::outdated(Date(8)));
}

}  // namespace
}  // namespace kelvo
