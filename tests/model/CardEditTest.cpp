#include "core/model/CardEdit.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Locale.hpp"

namespace kelvo {
namespace {

using Refusal = CardEdit::Refusal;

std::string repeated(std::string_view piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(CardEditTest, TitlesAreCountedAfterTrimming) {
  EXPECT_EQ(CardEdit::refusal(CardType::text, std::string(200, 't'), "body"), std::nullopt);
  const auto tooLong = CardEdit::refusal(CardType::text, std::string(201, 't'), "body");
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(*tooLong, Refusal::titleTooLong(201, 200));
  EXPECT_EQ(tooLong->field(), Refusal::Field::title);
  EXPECT_EQ(Refusal::titleTooLong(245, 200).message(),
            "That title is 245 characters — titles hold up to 200.");
  EXPECT_EQ(CardEdit::refusal(CardType::text, "     " + std::string(195, 't') + "     ", "b"),
            std::nullopt);
  // A letter and its combining accent are one character.
  EXPECT_EQ(CardEdit::refusal(CardType::text, repeated("e\u0301", 200), "b"), std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::text, repeated("e\u0301", 201), "b"),
            Refusal::titleTooLong(201, 200));
  // The title is judged before the text, and for every kind of card.
  EXPECT_EQ(CardEdit::refusal(CardType::text, std::string(300, 't'), " "),
            Refusal::titleTooLong(300, 200));
  EXPECT_EQ(CardEdit::refusal(CardType::image, std::string(300, 't'), ""),
            Refusal::titleTooLong(300, 200));
  EXPECT_EQ(CardEdit::refusal(CardType::image, "Cat", ""), std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::text, " \n ", "body"), std::nullopt);
}

TEST(CardEditTest, TextsAreCountedAsTyped) {
  const auto empty = CardEdit::refusal(CardType::text, "T", " \n\t\n ");
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, Refusal::emptyText());
  EXPECT_EQ(empty->field(), Refusal::Field::text);
  EXPECT_EQ(empty->message(),
            "A snippet needs some text. Type something, or close without saving.");
  EXPECT_EQ(CardEdit::refusal(CardType::fact, "T", "  "), Refusal::emptyText());

  EXPECT_EQ(CardEdit::refusal(CardType::text, "T", std::string(100'000, 'x')), std::nullopt);
  const auto over = CardEdit::refusal(CardType::text, "T", std::string(99'999, 'x') + "\n\n");
  ASSERT_TRUE(over);
  EXPECT_EQ(*over, Refusal::textTooLong(100'001, 100'000));
  EXPECT_EQ(over->field(), Refusal::Field::text);
  EXPECT_EQ(over->message(),
            "That's 100,001 characters — a card holds up to 100,000. Shorten it, or keep the "
            "rest as a second card.");
  // A CR LF pair is one character.
  EXPECT_EQ(CardEdit::refusal(CardType::text, "T", std::string(99'999, 'x') + "\r\n"),
            std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::fact, "T", repeated("e\u0301", 100'000)), std::nullopt);
  // The numbers follow the locale's grouping; the title's stay plain.
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(over->message(),
            "That's 100.001 characters — a card holds up to 100.000. Shorten it, or keep the "
            "rest as a second card.");
  EXPECT_EQ(Refusal::titleTooLong(1'245, 200).message(),
            "That title is 1245 characters — titles hold up to 200.");
}

TEST(CardEditTest, ResolvingAndChanges) {
  EXPECT_EQ(CardEdit::resolvedTitle("  Trip  ", "Generated"), "Trip");
  EXPECT_EQ(CardEdit::resolvedTitle(" \n ", " Generated "), " Generated ");
  EXPECT_EQ(CardEdit::resolvedText("\n body \n"), "body");

  // Blanks at the ends of a typed title change nothing.
  EXPECT_FALSE(CardEdit::changes(CardType::document, "Scan", "", "Gen", "  Scan ", "ignored"));
  // An empty title falls back to the generated one, which differs from the stored title.
  EXPECT_TRUE(CardEdit::changes(CardType::document, "Scan", "", "Gen", "", ""));
  EXPECT_FALSE(CardEdit::changes(CardType::document, "Gen", "old", "Gen", "", "new"));
  EXPECT_FALSE(CardEdit::changes(CardType::text, "T", "body", "G", "T", " body\n"));
  EXPECT_TRUE(CardEdit::changes(CardType::text, "T", "body", "G", "T", "body!"));
  EXPECT_TRUE(CardEdit::changes(CardType::fact, "T", " body", "G", "T", " body"));
}

}  // namespace
}  // namespace kelvo
