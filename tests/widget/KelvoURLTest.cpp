#include "core/widget/KelvoURL.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
      {"kelvo://card/e621e1f8-c36c-495a-93fc-0c247a3e6e5f", KelvoURL::card(id)},
      {"kelvo://card", std::nullopt},
      {"kelvo://card/XYZ", std::nullopt},
      {"kelvo://card?id=", std::nullopt},
      {"kelvo://card/XYZ?id=" + ID, std::nullopt},
      {"kelvo://show/" + ID, KelvoURL::show(id)},
      {"kelvo://show?id=" + ID, KelvoURL::show(id)},
      {"kelvo://fill/" + ID, KelvoURL::fill(id)},
      {"kelvo://fill?id=" + ID, KelvoURL::fill(id)},
      {"kelvo://fill", KelvoURL::fillForm()},
      {"kelvo://fill/XYZ", KelvoURL::fillForm()},
      {"kelvo://FILL", KelvoURL::fillForm()},
      {"kelvo://fill?id=" + ID + "&id=XYZ", KelvoURL::fill(id)},
      {"kelvo://keep", KelvoURL::keep()},
      {"kelvo://keep?text=", KelvoURL::keep()},
      {"kelvo://keep?text=hello", KelvoURL::keep("hello")},
      {"kelvo://keep/hello", KelvoURL::keep("hello")},
      {"kelvo://keep/one?text=two", KelvoURL::keep("two")},
      {"kelvo://keep?text&text=hello", KelvoURL::keep("hello")},
      {"kelvo://keep?Text=hello", KelvoURL::keep()},
      {"kelvo://search?q=invoice", KelvoURL::search("invoice")},
      {"kelvo://search?text=invoice", KelvoURL::search("invoice")},
      {"kelvo://search/invoice", KelvoURL::search("invoice")},
      {"kelvo://search?q=a&text=b", KelvoURL::search("a")},
      {"kelvo://search?q=%20a%20", KelvoURL::search(" a ")},
      {"kelvo://search?q=a+b", KelvoURL::search("a+b")},
      {"kelvo://search", std::nullopt},
      {"kelvo://search?q=%20", std::nullopt},
      {"kelvo://search?q=%20&text=b", std::nullopt},  // a blank "q" does not fall back
      {"kelvo://open", std::nullopt},
      {"kelvo://", std::nullopt},
      {"https://card/" + ID, std::nullopt},
      {"kelvos://card/" + ID, std::nullopt},
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

  for (const KelvoURL& link :
       {KelvoURL::card(id), KelvoURL::show(id), KelvoURL::fill(id), KelvoURL::fillForm(),
        KelvoURL::keep(), KelvoURL::keep("a+b&c=d é"), KelvoURL::keep("one/two?#%"),
        KelvoURL::search("a+b&c=d é"), KelvoURL::search(" spaced "), KelvoURL::search("*"),
        KelvoURL::search("日本語 🙂"), KelvoURL::keep("line\nbreak")}) {
    const auto url = link.url();
    ASSERT_TRUE(url) << printed(link);
    EXPECT_EQ(KelvoURL::parse(*url), link) << url->absoluteString();
  }
  // The two that do not come back: an empty text is no text, a blank query no search.
  EXPECT_NE(KelvoURL::keep(), KelvoURL::keep(""));
  EXPECT_EQ(KelvoURL::parse(*KelvoURL::keep("").url()), KelvoURL::keep());
  EXPECT_FALSE(KelvoURL::parse(*KelvoURL::search(" \n").url()));
  EXPECT_FALSE(KelvoURL::parse(*KelvoURL::search("").url()));
  // Links differ by case and by value.
  EXPECT_NE(KelvoURL::card(id), KelvoURL::show(id));
  EXPECT_NE(KelvoURL::fill(id), KelvoURL::fill(UUID()));
}

}  // namespace
}  // namespace kelvo
