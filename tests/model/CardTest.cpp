#include "core/model/Card.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>

#include "core/model/Shelf.hpp"
#include "platform/crypto/SHA256.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;

std::string joined(const std::vector<std::string>& parts) {
  return std::accumulate(parts.begin(), parts.end(), std::string());
}

TEST(CardTest, HexDigestKeepsLeadingZeros) {
  // SHA-256 of "abc".
  const std::array<std::uint8_t, 32> abc{0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea,
                                         0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
                                         0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c,
                                         0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  const auto parts = Card::hexDigest(abc);
  ASSERT_EQ(parts.size(), 32u);
  for (const auto& part : parts) EXPECT_EQ(part.size(), 2u);
  EXPECT_EQ(parts[5], "01");
  EXPECT_EQ(joined(parts), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  std::array<std::uint8_t, 32> edges{};
  edges[1] = 0x0f;
  edges[2] = 0xf0;
  edges[31] = 0xff;
  const std::string text = joined(Card::hexDigest(edges));
  EXPECT_EQ(text.size(), 64u);
  EXPECT_EQ(text.substr(0, 6), "000ff0");
  EXPECT_EQ(text.substr(62), "ff");
  EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(CardTest, ContentHashCoversTypeSeparatorAndPayload) {
  EXPECT_EQ(Card::contentHash(CardType::text, "abc"),
            "925bb70375861465ab46da072bf31810cca2824653ded152895f344258ddef6d");
  EXPECT_EQ(Card::contentHash(CardType::text, "abc"),
            joined(Card::hexDigest(crypto::SHA256::hash(std::string_view("text\x1f"
                                                                         "abc")))));
  // The separator keeps type and payload apart: "text" + "abc" is not "tex" + "tabc".
  EXPECT_NE(Card::contentHash(CardType::fact, "abc"), Card::contentHash(CardType::text, "abc"));
  const std::string nul("a\0b", 3);
  EXPECT_NE(Card::contentHash(CardType::text, nul), Card::contentHash(CardType::text, "a"));
  EXPECT_EQ(Card::contentHash(CardType::file, "").size(), 64u);
}

TEST(CardTest, PreviewIsOneTrimmedLine) {
  EXPECT_EQ(Card::makePreview("  a\nb  ", 140), "a b");
  // Every line end is one space, a CR LF pair included; none survives into the line.
  EXPECT_EQ(Card::makePreview("a\r\nb\rc\nd", 140), "a b c d");
  EXPECT_EQ(Card::makePreview("a\r\n\r\nb", 140), "a  b");
  EXPECT_EQ(Card::makePreview("\r\n\t x \r", 140), "x");
  EXPECT_EQ(Card::makePreview("", 140), "");

  const std::string exact(140, 'x');
  EXPECT_EQ(Card::makePreview(exact, 140), exact);
  const std::string longer = exact + "y";
  EXPECT_EQ(Card::makePreview(longer, 140), exact + "\u2026");
  // The cut is not trimmed again, and never splits a character.
  EXPECT_EQ(Card::makePreview("ab cd", 3), "ab \u2026");
  EXPECT_EQ(Card::makePreview("e\u0301e\u0301e\u0301", 2), "e\u0301e\u0301\u2026");
  EXPECT_EQ(Card::makePreview("e\u0301", 1), "e\u0301");
  EXPECT_EQ(Card::makePreview("abc", 0), "\u2026");
}

TEST(CardTest, MakeWritesACompleteCard) {
  Library library;
  auto shelf = library.shelf("Work");
  auto card = Card::make({.id = testing::uuid(7),
                          .type = CardType::fact,
                          .title = "Mail",
                          .payload = "ada@example.com\nsecond line",
                          .extractedText = "x",
                          .autoTags = {"a", "b"},
                          .createdAt = day(3),
                          .lastUsedAt = day(4),
                          .useCount = 2,
                          .isPinned = true,
                          .isLocked = true,
                          .sourceApp = "Mail",
                          .factKind = FactKind::email,
                          .factLabel = "Home",
                          .syncState = CardSyncState::pendingPush,
                          .isPayloadAvailable = false,
                          .pageCount = 3,
                          .payloadData = data::Bytes{1, 2},
                          .thumbnailData = data::Bytes{3},
                          .filename = "a.txt",
                          .byteCount = 9,
                          .shelf = shelf});
  EXPECT_EQ(card->context(), &library.context());
  library.context().save();

  // Every field survives the store; the derived ones come from the payload.
  EXPECT_EQ(card->id(), testing::uuid(7));
  EXPECT_EQ(card->generatedTitle(), "Mail");
  EXPECT_EQ(card->previewText(), "ada@example.com second line");
  EXPECT_EQ(card->contentHash(), Card::contentHash(CardType::fact, card->payload()));
  EXPECT_EQ(card->autoTags(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(card->factKind(), FactKind::email);
  EXPECT_EQ(card->syncState(), CardSyncState::pendingPush);
  EXPECT_EQ(card->pageCount(), 3);
  EXPECT_EQ(card->shelf(), shelf);
  EXPECT_EQ(shelf->cards(), (std::vector<std::shared_ptr<Card>>{card}));
  // Unavailable bytes are not handed out, even though they are stored.
  EXPECT_EQ(card->safePayloadData(), std::nullopt);
  card->setIsPayloadAvailable(true);
  EXPECT_EQ(card->safePayloadData(), (data::Bytes{1, 2}));
  card->setDeletedAt(day(5));
  EXPECT_EQ(card->safePayloadData(), std::nullopt);

  // Given texts are kept as given; setters recompute nothing.
  auto given = Card::make({.id = testing::uuid(8),
                           .title = "T",
                           .generatedTitle = "G",
                           .payload = "p",
                           .previewText = "P"});
  EXPECT_EQ(given->generatedTitle(), "G");
  EXPECT_EQ(given->previewText(), "P");
  given->setPayload("changed");
  EXPECT_EQ(given->contentHash(), Card::contentHash(CardType::text, "p"));
  // Made without a shelf, a card is in no context and hands out no bytes.
  EXPECT_EQ(given->context(), nullptr);
  given->setPayloadData(data::Bytes{1});
  EXPECT_EQ(given->safePayloadData(), std::nullopt);
}

TEST(CardTest, StoredTextsReadThroughTheirFallbacks) {
  Library library;
  auto card = library.card("c");
  card->setTypeRaw("sticker");
  EXPECT_EQ(card->type(), CardType::file);
  EXPECT_TRUE(card->isUnknownType());
  EXPECT_TRUE(card->carriesBytes());
  EXPECT_EQ(card->variableTemplate(), std::nullopt);
  EXPECT_FALSE(card->hasVariables());
  card->setTypeRaw("");
  EXPECT_TRUE(card->isUnknownType());
  card->setType(CardType::image);
  EXPECT_FALSE(card->isUnknownType());
  EXPECT_EQ(card->typeRaw(), "image");

  card->setSyncStateRaw("");
  EXPECT_EQ(card->syncState(), CardSyncState::localOnly);
  card->setSyncStateRaw("Synced");
  EXPECT_EQ(card->syncState(), CardSyncState::localOnly);
  card->setFactKindRaw("passport");
  EXPECT_EQ(card->factKind(), std::nullopt);
  card->setFactKind(std::nullopt);
  EXPECT_EQ(card->factKindRaw(), std::nullopt);

  card->setType(CardType::text);
  card->setPayload("Dear {name}");
  ASSERT_TRUE(card->variableTemplate());
  EXPECT_TRUE(card->hasVariables());
  card->setPayload("No blanks");
  EXPECT_FALSE(card->hasVariables());

  // A mistyped or missing value reads as the default.
  card->setValue("autoTags", data::Value("not a list"));
  EXPECT_TRUE(card->autoTags().empty());
  card->setValue("createdAt", std::nullopt);
  EXPECT_EQ(card->createdAt(), Date::distantPast());
  card->setValue("id", std::nullopt);
  EXPECT_NE(card->id(), card->id());
}

TEST(CardTest, TrashAndPurgeArithmetic) {
  Library library;
  auto card = library.card("c");
  const Date now = day(100);
  EXPECT_FALSE(card->isTrashed());
  EXPECT_EQ(card->daysUntilPurge(now), std::nullopt);
  EXPECT_FALSE(card->isPurgeable(now));

  const auto deletedDaysAgo = [&](double days) { card->setDeletedAt(now - days * 86'400); };
  deletedDaysAgo(0);
  EXPECT_TRUE(card->isTrashed());
  EXPECT_EQ(card->daysUntilPurge(now), 30);
  EXPECT_FALSE(card->isPurgeable(now));
  deletedDaysAgo(29.5);
  EXPECT_EQ(card->daysUntilPurge(now), 1);
  EXPECT_FALSE(card->isPurgeable(now));
  deletedDaysAgo(30);
  EXPECT_EQ(card->daysUntilPurge(now), 0);
  EXPECT_TRUE(card->isPurgeable(now));
  deletedDaysAgo(40);
  EXPECT_EQ(card->daysUntilPurge(now), 0);
  EXPECT_TRUE(card->isPurgeable(now));
  deletedDaysAgo(-5);  // in the future
  EXPECT_EQ(card->daysUntilPurge(now), 30);
  EXPECT_FALSE(card->isPurgeable(now));
  // Moments that are not numbers count as nothing left, never as garbage.
  card->setDeletedAt(Date(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(card->daysUntilPurge(now), 0);
  EXPECT_FALSE(card->isPurgeable(now));
  card->setDeletedAt(Date::distantPast());
  EXPECT_EQ(card->daysUntilPurge(Date(std::numeric_limits<double>::infinity())), 0);
}

TEST(CardTest, RecordUseCountsAndSaturates) {
  Library library;
  auto card = library.card("c");
  card->setValue("useCount", std::nullopt);
  card->recordUse(day(2));
  EXPECT_EQ(card->useCount(), 1);
  EXPECT_EQ(card->lastUsedAt(), day(2));
  card->recordUse(day(3));
  EXPECT_EQ(card->useCount(), 2);
  EXPECT_EQ(card->lastUsedAt(), day(3));

  constexpr auto largest = std::numeric_limits<std::int64_t>::max();
  card->setUseCount(largest);
  library.context().save();
  card->recordUse(day(4));
  EXPECT_EQ(card->useCount(), largest);
  EXPECT_EQ(card->lastUsedAt(), day(4));
  library.context().save();
}

TEST(CardTest, MovingACardUpdatesBothShelves) {
  Library library;
  auto a = library.shelf("A");
  auto b = library.shelf("B");
  auto card = library.card("c", day(0), a);
  library.context().save();

  card->setShelf(a);
  EXPECT_FALSE(library.context().hasChanges());
  EXPECT_EQ(a->cards().size(), 1u);

  card->setShelf(b);
  EXPECT_TRUE(a->cards().empty());
  EXPECT_EQ(b->cards(), (std::vector<std::shared_ptr<Card>>{card}));
  library.context().save();
  EXPECT_EQ(card->shelf(), b);

  card->setShelf(nullptr);
  EXPECT_TRUE(b->cards().empty());
  EXPECT_EQ(card->shelf(), nullptr);
  card->setShelf(nullptr);
  library.context().save();
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()).size(), 1u);
}

}  // namespace
}  // namespace kelvo
