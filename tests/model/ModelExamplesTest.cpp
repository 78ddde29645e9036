// The usage examples at the top of the card library's headers, run as written.

#include <gtest/gtest.h>

#include <vector>

#include "core/model/Card.hpp"
#include "core/model/Shelf.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

TEST(Card, APIExamples) {
  testing::Library library;
  const auto inbox = library.shelf("Inbox");
  const Date now = testing::day(30);
  std::vector<URL> opened;
  const auto open = [&](const URL& url) { opened.push_back(url); };

  // clang-format off
  auto card = Card::make({.id = UUID::random(), .type = CardType::text, .title = "Wi-Fi",
                          .payload = "guest / sunflower", .createdAt = now, .shelf = inbox});
  card->recordUse(now);
  if (const auto link = card->linkURL()) open(*link);
  inbox->context()->save();
  // clang-format on

  EXPECT_TRUE(opened.empty());  // a password is no link
  EXPECT_EQ(card->context(), &library.context());
  EXPECT_FALSE(card->isInserted());
  EXPECT_EQ(card->useCount(), 1);
  EXPECT_EQ(card->lastUsedAt(), now);
  EXPECT_EQ(card->shelf(), inbox);
}

}  // namespace
}  // namespace kelvo
