#include "core/organisation/CardOrder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/DecodingError.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::uuid;
using List = std::vector<UUID>;

const LibrarySectionID unsorted = LibrarySectionID::unsorted();
const LibrarySectionID work = LibrarySectionID::project(uuid(100));

List listOf(const CardOrder& order, const LibrarySectionID& section) {
  const auto entry = order.sections().find(section.storageKey());
  return entry == order.sections().end() ? List{} : entry->second;
}

TEST(CardOrderTest, SectionIdentifiers) {
  EXPECT_EQ(unsorted.storageKey(), "unsorted");
  EXPECT_EQ(work.storageKey(), "00000000-0000-4000-8000-000000000100");
  EXPECT_EQ(LibrarySectionID::decode(R"("unsorted")"), unsorted);
  EXPECT_EQ(LibrarySectionID::decode(R"("00000000-0000-4000-8000-00000000abcd")"),
            LibrarySectionID::project(*UUID::parse("00000000-0000-4000-8000-00000000ABCD")));
  EXPECT_EQ(work.encoded(), R"("00000000-0000-4000-8000-000000000100")");
  for (const char* bad : {R"("project-1")", R"("Unsorted")", R"("")"}) {
    try {
      LibrarySectionID::decode(bad);
      ADD_FAILURE() << bad;
    } catch (const DecodingError& error) {
      EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
      const std::string text = bad;
      EXPECT_EQ(error.description(), text.substr(1, text.size() - 2) +
                                         " is neither a project identifier nor the unsorted pile");
    }
  }
  EXPECT_THROW(LibrarySectionID::decode("7"), DecodingError);
}

TEST(CardOrderTest, MovePositionAndRemove) {
  const UUID a = uuid(1), b = uuid(2), c = uuid(3), d = uuid(4);
  CardOrder order;
  EXPECT_TRUE(order.isEmpty());
  EXPECT_EQ(order.position(a, unsorted), std::nullopt);

  // Into a section without a list, then before anchors, absent ones and itself.
  order.moveToEnd(a, unsorted);
  EXPECT_EQ(listOf(order, unsorted), (List{a}));
  order.move(b, unsorted, std::nullopt);
  order.move(c, unsorted, std::nullopt);
  order.move(a, unsorted, c);
  EXPECT_EQ(listOf(order, unsorted), (List{b, a, c}));
  order.move(d, unsorted, uuid(99));
  order.move(b, unsorted, b);
  EXPECT_EQ(listOf(order, unsorted), (List{a, c, d, b}));
  EXPECT_EQ(order.position(a, unsorted), 0u);
  EXPECT_EQ(order.position(b, unsorted), 3u);
  EXPECT_EQ(order.position(uuid(99), unsorted), std::nullopt);
  EXPECT_EQ(order.position(a, work), std::nullopt);

  // Moving into another section leaves the first one alone.
  order.move(a, work, std::nullopt);
  EXPECT_EQ(order.position(a, unsorted), 0u);
  const std::vector<LibrarySectionID> both{unsorted, work};
  order.remove(a, both);
  EXPECT_EQ(listOf(order, unsorted), (List{c, d, b}));
  EXPECT_FALSE(order.sections().contains(work.storageKey()));

  const CardOrder before = order;
  order.remove(uuid(99), unsorted);
  order.remove(c, work);
  EXPECT_EQ(order, before);

  order.prune({c, uuid(50)});
  EXPECT_EQ(listOf(order, unsorted), (List{c}));
  order.prune({});
  EXPECT_TRUE(order.isEmpty());
}

TEST(CardOrderTest, DuplicatesAndStoredKeysInLowerCase) {
  const UUID a = uuid(1), b = uuid(2);
  const std::string lower = "0000000a-0000-4000-8000-000000000100";
  CardOrder order = CardOrder::decode(
      R"({"unsorted":["00000000-0000-4000-8000-000000000001",)"
      R"("00000000-0000-4000-8000-000000000002","00000000-0000-4000-8000-000000000001"],)"
      R"(")" +
      lower + R"(":["00000000-0000-4000-8000-000000000002"]})");
  EXPECT_EQ(order.position(a, unsorted), 0u);
  EXPECT_EQ(order.ranks(unsorted), (CardOrder::Ranks{{a, 0}, {b, 1}}));
  EXPECT_TRUE(order.ranks(work).empty());

  // A lower-case key survives pruning but is never found by its section.
  const auto lowerSection = *LibrarySectionID::fromStorageKey(lower);
  order.prune({a, b});
  EXPECT_TRUE(order.sections().contains(lower));
  EXPECT_EQ(order.position(b, lowerSection), std::nullopt);

  CardOrder moved = order;
  moved.move(a, unsorted, std::nullopt);
  EXPECT_EQ(listOf(moved, unsorted), (List{b, a}));
  order.remove(a, unsorted);
  EXPECT_EQ(listOf(order, unsorted), (List{b}));
}

TEST(CardOrderTest, StoredForm) {
  const std::string project = "00000000-0000-4000-8000-000000000100";
  const std::string card = "00000000-0000-4000-8000-00000000000A";
  // Empty lists go; identifiers read in either case and are written upper case.
  const CardOrder order = CardOrder::decode(R"({"unsorted":[],")" + project +
                                            R"(":["00000000-0000-4000-8000-00000000000a"]})");
  EXPECT_EQ(order.sections().size(), 1u);
  EXPECT_EQ(order.encoded(), R"({")" + project + R"(":[")" + card + R"("]})");
  EXPECT_EQ(CardOrder::decode(order.encoded()).encoded(), order.encoded());
  EXPECT_EQ(CardOrder().encoded(), "{}");

  for (const char* bad : {R"([])", R"({"unsorted":"x"})", R"({"unsorted":[7]})",
                          R"({"unsorted":["x"]})", R"({"unsorted":null})", "{"}) {
    EXPECT_THROW(CardOrder::decode(bad), DecodingError) << bad;
  }
}

}  // namespace
}  // namespace kelvo
