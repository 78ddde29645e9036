#include "core/organisation/CardMenuCapabilities.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/model/Card.hpp"
#include "core/organisation/CardDragBatch.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::uuid;
using V = CardVerb;

std::shared_ptr<Card> card(std::string_view typeRaw, bool pinned, std::string payload = "") {
  auto made = Card::make({.id = UUID::random(), .payload = std::move(payload)});
  made->setTypeRaw(std::string(typeRaw));
  made->setIsPinned(pinned);
  return made;
}

TEST(CardMenuCapabilitiesTest, Verbs) {
  using CardMenuCapabilities::sharedVerbs;
  using CardMenuCapabilities::verbs;
  const CardVerbs base{V::use,         V::show,      V::share,  V::beam,
                       V::moveToShelf, V::duplicate, V::select, V::delete_};
  auto with = [&](std::initializer_list<V> more) {
    CardVerbs all = base;
    all.insert(more);
    return all;
  };
  const auto pinnedText = card("text", true, "Hello");
  const auto image = card("image", false);
  const auto pinnedImage = card("image", true);
  const auto fact = card("fact", false, "{name}");
  const auto filled = card("text", false, "Dear {name},");

  EXPECT_EQ(verbs(*pinnedText), with({V::copy, V::unpin}));
  EXPECT_EQ(verbs(*image), with({V::copy, V::pin, V::open}));
  EXPECT_EQ(verbs(*filled), with({V::fillAndCopy, V::pin}));
  EXPECT_EQ(verbs(*fact), with({V::copy, V::pin}));  // blanks count in text cards only
  EXPECT_EQ(verbs(*card("sticker", false)), with({V::copy, V::pin, V::open}));
  EXPECT_EQ(verbs(*card("document", false)), verbs(*image));

  const std::vector<std::shared_ptr<Card>> images{image, pinnedImage};
  const std::vector<std::shared_ptr<Card>> mixed{image, fact};
  const std::vector<std::shared_ptr<Card>> texts{pinnedText, filled};
  EXPECT_TRUE(sharedVerbs({}).empty());
  EXPECT_EQ(sharedVerbs(std::vector{image}), verbs(*image));
  EXPECT_EQ(sharedVerbs(images), with({V::copy, V::open}));
  EXPECT_EQ(sharedVerbs(mixed), with({V::copy, V::pin}));
  EXPECT_EQ(sharedVerbs(texts), base);
}

TEST(CardMenuCapabilitiesTest, RightClickAndDragTargets) {
  using CardDragBatch::ids;
  using CardMenuCapabilities::targetIDs;
  using Ids = std::vector<UUID>;
  const Ids visible{uuid(1), uuid(2), uuid(3), uuid(4), uuid(5)};
  GridSelection three(std::set<UUID>{uuid(4), uuid(2), uuid(3)});

  EXPECT_EQ(targetIDs(uuid(1), three, visible), (Ids{uuid(1)}));
  EXPECT_EQ(targetIDs(uuid(4), three, visible), (Ids{uuid(2), uuid(3), uuid(4)}));
  EXPECT_EQ(targetIDs(uuid(1), GridSelection(std::set<UUID>{uuid(1)}), visible), (Ids{uuid(1)}));
  // Selected but none visible: the clicked card alone.
  EXPECT_EQ(targetIDs(uuid(8), GridSelection(std::set<UUID>{uuid(8), uuid(9)}), visible),
            (Ids{uuid(8)}));

  EXPECT_EQ(ids(uuid(4), {uuid(2), uuid(4)}, visible), (Ids{uuid(2), uuid(4)}));
  EXPECT_EQ(ids(uuid(1), {uuid(2), uuid(4)}, visible), (Ids{uuid(1)}));
  EXPECT_EQ(ids(uuid(2), {uuid(2)}, visible), (Ids{uuid(2)}));
  EXPECT_EQ(ids(uuid(9), {uuid(9), uuid(3), uuid(7)}, visible), (Ids{uuid(3), uuid(9)}));
  const Ids repeated{uuid(3), uuid(1), uuid(3)};
  EXPECT_EQ(ids(uuid(1), {uuid(1), uuid(3)}, repeated), (Ids{uuid(3), uuid(1)}));
}

}  // namespace
}  // namespace kelvo
