#include "core/search/internal/CardBody.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/search/SearchableCard.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo::search_internal {
namespace {

using kelvo::testing::makeCard;

struct TestKind;
using Blocks = CarvedBlocks<TestKind>;

const std::byte* address(const void* at) { return static_cast<const std::byte*>(at); }

// On a thread of its own, `work` carves from fresh blocks and lets go of them when it ends.
template <class Work>
void onNewThread(Work work) {
  std::thread(std::move(work)).join();
}

TEST(CarvedBlocksTest, CarvesSideBySideAndGivesEachBlockBackWithItsLastPiece) {
  const std::size_t before = Blocks::blocksInUse();
  std::vector<Blocks::Carved> pieces;
  onNewThread([&] {
    for (const std::size_t size : {24, 1, 40}) pieces.push_back(Blocks::allocate(size));
    // The largest carved piece fits seven times beside the block's own note, not eight.
    for (int i = 0; i < 8; ++i) pieces.push_back(Blocks::allocate(Blocks::largestCarved));
    EXPECT_EQ(Blocks::blocksInUse(), before + 2);
    for (const std::size_t size : {Blocks::largestCarved + 1, 3 * Blocks::blockSize}) {
      const Blocks::Carved alone = Blocks::allocate(size);
      EXPECT_EQ(alone.placement, 0);
      std::memset(alone.at, 0x5A, size);  // all of it is the piece's own
      Blocks::deallocate(alone.at, alone.placement);
    }
    EXPECT_EQ(Blocks::blocksInUse(), before + 2);
    EXPECT_EQ(Blocks::allocate(0).at, nullptr);
  });
  EXPECT_EQ(address(pieces[1].at), address(pieces[0].at) + 24);
  EXPECT_EQ(address(pieces[2].at), address(pieces[1].at) + 8);  // rounded up to eight bytes
  EXPECT_EQ(pieces[2].placement, pieces[1].placement + 1);
  EXPECT_EQ(address(pieces[9].at), address(pieces[3].at) + 6 * Blocks::largestCarved);
  // The thread has ended; the first block goes with its tenth piece, the second with the last.
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_NE(pieces[i].placement, 0);
    Blocks::deallocate(pieces[i].at, pieces[i].placement);
    EXPECT_EQ(Blocks::blocksInUse(), before + (i < 9 ? 2 : i == 9 ? 1 : 0)) << i;
  }
  // A block is also held by the thread carving from it, past its last piece.
  onNewThread([&] {
    const Blocks::Carved piece = Blocks::allocate(8);
    Blocks::deallocate(piece.at, piece.placement);
    EXPECT_EQ(Blocks::blocksInUse(), before + 1);
  });
  EXPECT_EQ(Blocks::blocksInUse(), before);
}

// A card's texts, kept here for the contents that point into them.
struct Sample {
  std::vector<std::optional<std::string>> shortTexts;
  std::string content;
  std::vector<std::string> tags;

  CardBody::Contents contents() const {
    CardBody::Contents contents{.content = content, .extractedText = "e", .tags = tags};
    for (std::size_t k = 0; k < shortTexts.size(); ++k) {
      if (shortTexts[k]) contents.shortTexts[k] = *shortTexts[k];
    }
    return contents;
  }
};

void expectTexts(const CardBody& pieces, const Sample& sample) {
  for (std::uint32_t k = 0; k < CardBody::content; ++k) {
    EXPECT_EQ(pieces.given(CardBody::Text(k)), sample.shortTexts[k].has_value()) << k;
    EXPECT_EQ(pieces.text(k), sample.shortTexts[k].value_or("")) << k;
  }
  EXPECT_EQ(pieces.text(CardBody::content), sample.content);
  EXPECT_EQ(pieces.text(CardBody::extractedText), "e");
  ASSERT_EQ(pieces.head().tagCount, sample.tags.size());
  for (std::uint32_t i = 0; i < sample.tags.size(); ++i) {
    EXPECT_EQ(pieces.text(CardBody::firstTag + i), sample.tags[i]) << i;
  }
}

// Each piece's ends are 16-bit up to 64 KiB of its texts and 32-bit past it, independently of
// the other's; texts on either side of the border read back whole.
TEST(CardBodyTest, EndsWidenPastSixtyFourKiBPieceByPiece) {
  constexpr std::size_t border = 65'535;
  for (const std::size_t shortTotal : {border, border + 1}) {
    for (const std::size_t longTotal : {border, border + 1}) {
      SCOPED_TRACE(std::to_string(shortTotal) + " / " + std::to_string(longTotal));
      const Sample sample{{std::string(shortTotal - 2, 't'), "s", "", std::nullopt, "a"},
                          std::string(longTotal - 1 - 3, 'c'),
                          {"", "tag", ""}};
      CardBody* pieces = CardBody::make(sample.contents());
      EXPECT_EQ(pieces->endWidth(CardBody::title), shortTotal > border ? 4u : 2u);
      EXPECT_EQ(pieces->endWidth(CardBody::content), longTotal > border ? 4u : 2u);
      expectTexts(*pieces, sample);
      pieces->release();
    }
  }
  // A card with nothing for a second piece gets none: its first pieces lie side by side.
  const std::size_t texts = CarvedBlocks<char>::blocksInUse();
  onNewThread([] {
    const Sample bare{{"", "", "", std::nullopt, std::nullopt}, "", {}};
    CardBody::Contents contents = bare.contents();
    contents.extractedText = "";
    CardBody* first = CardBody::make(contents);
    CardBody* second = CardBody::make(contents);
    EXPECT_EQ(address(second), address(first) + (sizeof(CardBody) + 5 * 2 + 7) / 8 * 8);
    EXPECT_EQ(second->text(CardBody::extractedText), "");
    first->release();
    second->release();
  });
  EXPECT_EQ(CarvedBlocks<char>::blocksInUse(), texts);
}

// Copies, moves and assignments hold the pieces once for each card that points at them; the
// last card to go gives back the pieces and, with them, the blocks they were carved from.
TEST(CardBodyTest, CardsCountTheirHoldsAndTheLastGivesThePiecesBack) {
  std::optional<SearchableCard> a;
  onNewThread([&] { a = makeCard({.title = "a", .content = "long", .autoTags = {"t"}}); });
  const CardBody& pieces = CardBody::of(*a);
  EXPECT_EQ(pieces.references(), 1u);
  {
    SearchableCard b = *a;
    SearchableCard c = std::move(b);
    b = c;
    EXPECT_EQ(pieces.references(), 3u);
    b = std::move(c);
    SearchableCard& same = b;
    b = same;
    b = std::move(same);
    EXPECT_EQ(pieces.references(), 2u);
    c = makeCard({.title = "other"});
    c.swap(b);
    EXPECT_EQ(&CardBody::of(c), &pieces);
    b = makeCard({.title = "other"});
    EXPECT_EQ(pieces.references(), 2u);
  }
  EXPECT_EQ(pieces.references(), 1u);
  const std::size_t heads = CarvedBlocks<CardBody>::blocksInUse();
  const std::size_t texts = CarvedBlocks<char>::blocksInUse();
  a.reset();  // its pieces were alone in their blocks
  EXPECT_EQ(CarvedBlocks<CardBody>::blocksInUse(), heads - 1);
  EXPECT_EQ(CarvedBlocks<char>::blocksInUse(), texts - 1);
}

// Cards made on several threads, copied and dropped on others at once, then dropped on yet
// another: every hold is counted once and every block comes back.
TEST(CardBodyTest, PiecesMadeOnSeveralThreadsAreDroppedOnAnother) {
  const std::size_t heads = CarvedBlocks<CardBody>::blocksInUse();
  const std::size_t texts = CarvedBlocks<char>::blocksInUse();
  std::vector<std::vector<SearchableCard>> made(4);
  const auto onEach = [&made](auto work) {
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < made.size(); ++t) threads.emplace_back(work, t);
    for (std::thread& thread : threads) thread.join();
  };
  onEach([&made](std::size_t t) {
    for (int i = 0; i < 2'000; ++i) {
      made[t].push_back(makeCard({.title = std::to_string(t), .content = std::to_string(i)}));
    }
  });
  onEach([&made](std::size_t) {
    for (int round = 0; round < 10; ++round) {
      for (const auto& cards : made) std::vector<SearchableCard> copies(cards);
    }
  });
  for (std::size_t t = 0; t < made.size(); ++t) {
    for (std::size_t i = 0; i < made[t].size(); ++i) {
      ASSERT_EQ(CardBody::of(made[t][i]).references(), 1u);
      ASSERT_EQ(made[t][i].title(), std::to_string(t));
      ASSERT_EQ(made[t][i].content(), std::to_string(i));
    }
  }
  onNewThread([&made] { made.clear(); });
  EXPECT_EQ(CarvedBlocks<CardBody>::blocksInUse(), heads);
  EXPECT_EQ(CarvedBlocks<char>::blocksInUse(), texts);
}

}  // namespace
}  // namespace kelvo::search_internal
