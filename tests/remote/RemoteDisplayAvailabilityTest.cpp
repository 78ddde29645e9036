#include "core/remote/RemoteDisplayAvailability.hpp"

#include <gtest/gtest.h>

#include "tests/model/Library.hpp"

namespace kelvo::Remote {
namespace {

TEST(RemoteDisplayAvailabilityTest, WhichCardsCanBeShown) {
  testing::Library library;
  const auto make = [&](CardType type, std::string payload) {
    auto card = library.card("Card");
    card->setType(type);
    card->setPayload(std::move(payload));
    return card;
  };
  const Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};

  auto trashed = make(CardType::text, "Fine text");
  trashed->setDeletedAt(Date(10));
  auto unavailable = make(CardType::text, "Fine text");
  unavailable->setIsPayloadAvailable(false);
  auto image = make(CardType::image, "photo.png");
  image->setPayloadData(png);
  image->setFilename("photo.png");
  auto document = make(CardType::document, "scan.pdf");
  document->setFilename("scan.pdf");

  const struct {
    const char* what;
    std::shared_ptr<Card> card;
    bool shown;
  } cases[] = {
      {"text", make(CardType::text, "Dear {name}, thanks"), false},
      {"text without braces", make(CardType::text, "Dear name, thanks"), true},
      {"blank text", make(CardType::text, " \t\n\r\n"), false},
      {"tabs and ideographic spaces", make(CardType::text, "\t\u3000\t"), false},
      {"one visible character", make(CardType::text, "  .  "), true},
      {"fact", make(CardType::fact, "ab@example.com"), true},
      {"trashed", trashed, false},
      {"payload unavailable", unavailable, false},
      {"image with bytes", image, true},
      {"image without bytes", make(CardType::image, "photo.png"), false},
      {"document without bytes", document, false},
  };
  EXPECT_FALSE(RemoteDisplayAvailability::canShow(nullptr));
  for (const auto& c : cases) {
    EXPECT_EQ(RemoteDisplayAvailability::canShow(c.card.get()), c.shown) << c.what;
  }
}

}  // namespace
}  // namespace kelvo::Remote
