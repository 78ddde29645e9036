#include "core/model/ManagedObjectValues.hpp"

#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "core/model/SmartShelf.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::Library;

TEST(ManagedObjectValuesTest, MissingAndMistypedValuesReadAsTheDefault) {
  Library library;
  const auto card = library.insert("Card");
  card->setValue("useCount", std::nullopt);
  card->setValue("isPayloadAvailable", std::nullopt);
  EXPECT_EQ(intValue(*card, "useCount", 7), 7);
  EXPECT_TRUE(boolValue(*card, "isPayloadAvailable", true));
  EXPECT_FALSE(boolValue(*card, "isPayloadAvailable", false));

  // Values of another kind under a key (refused only when the context saves).
  card->setValue("useCount", "3");
  card->setValue("title", 5);
  card->setValue("isPinned", 2);
  card->setValue("createdAt", "yesterday");
  card->setValue("id", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(intValue(*card, "useCount", 0), 0);
  EXPECT_EQ(stringValue(*card, "title", ""), "");
  EXPECT_TRUE(boolValue(*card, "isPinned", true));
  EXPECT_EQ(dateValue(*card, "createdAt", Date::distantPast()), Date::distantPast());
  EXPECT_FALSE(uuidValue(*card, "id"));
  EXPECT_FALSE(optionalStringValue(*card, "title"));
  EXPECT_FALSE(optionalDataValue(*card, "title"));
  // A number of 0 or 1 reads as a Boolean; a Boolean reads as a number.
  card->setValue("isPinned", 1);
  card->setValue("useCount", true);
  EXPECT_TRUE(boolValue(*card, "isPinned", false));
  EXPECT_EQ(intValue(*card, "useCount", 0), 1);
  EXPECT_EQ(card->value("title"), data::Value(5));  // nothing read was written back
}

TEST(ManagedObjectValuesTest, ReadersNeverWriteBack) {
  Library library;
  library.insert<Card>("Card")->setID(UUID::random());
  library.context().save();
  data::Context other(library.context().coordinator());
  const auto stored = other.fetch(data::FetchRequest<Card>("Card")).front();
  EXPECT_EQ(dateValue(*stored, "lastUsedAt", Date(5)), Date(5));
  EXPECT_EQ(stringValue(*stored, "sourceApp", "Mail"), "Mail");
  EXPECT_EQ(intValue(*stored, "pageCount", 3), 3);
  EXPECT_FALSE(optionalDataValue(*stored, "payloadData"));
  EXPECT_FALSE(other.hasChanges());
  EXPECT_FALSE(stored->isUpdated());
  EXPECT_FALSE(stored->value("lastUsedAt"));
  EXPECT_FALSE(stored->value("sourceApp"));
  EXPECT_FALSE(stored->value("pageCount"));
}

TEST(ManagedObjectValuesTest, AMissingIdentifierIsFreshAtEveryRead) {
  Library library;
  const auto card = library.insert<Card>("Card");
  const auto smartShelf = library.insert<SmartShelf>("SmartShelf");
  card->setValue("id", std::nullopt);
  smartShelf->setValue("id", std::nullopt);
  EXPECT_NE(card->id(), card->id());
  EXPECT_NE(smartShelf->id(), smartShelf->id());
  EXPECT_FALSE(card->value("id"));
  // A stored identifier is read, not drawn.
  const UUID id = UUID::random();
  smartShelf->setID(id);
  EXPECT_EQ(smartShelf->id(), id);
  EXPECT_EQ(smartShelf->value("id"), data::Value(id));
}

}  // namespace
}  // namespace kelvo
