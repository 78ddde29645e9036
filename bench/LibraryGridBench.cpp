// The library grid's sections, manual order and masonry over large synthetic libraries.
#include <benchmark/benchmark.h>

#include <optional>
#include <random>
#include <unordered_set>
#include <vector>

#include "core/organisation/CardOrder.hpp"
#include "core/organisation/LibrarySectioning.hpp"
#include "core/organisation/MasonryLayout.hpp"

namespace kelvo::bench {
namespace {

struct Item {
  UUID itemID;
  std::optional<UUID> project;
  bool pinned;
  std::optional<Date> used;
  Date created;

  UUID id() const { return itemID; }
  std::optional<UUID> projectID() const { return project; }
  bool isPinned() const { return pinned; }
  std::optional<Date> lastUsedAt() const { return used; }
  Date createdAt() const { return created; }
};

// A seeded identifier, so every run sees the same library.
UUID seededID(std::mt19937_64& engine) {
  UUID::Bytes bytes;
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(engine());
  return UUID(bytes);
}

struct Library {
  std::vector<Item> items;
  std::vector<LibraryProject> projects;
  CardOrder order;
};

// 100,000 items in 200 projects (a tenth unsorted), 5,000 of them placed by hand.
const Library& library() {
  static const Library built = [] {
    std::mt19937_64 engine(0x6B656C766F);
    Library library;
    for (int index = 0; index < 200; ++index) {
      library.projects.push_back({seededID(engine), "Project " + std::to_string(index % 150),
                                  static_cast<std::int64_t>(index % 40)});
    }
    for (int index = 0; index < 100'000; ++index) {
      std::optional<UUID> project;
      if (engine() % 10 != 0) project = library.projects[engine() % 200].id;
      std::optional<Date> used;
      if (engine() % 3 != 0) used = Date(static_cast<double>(engine() % 100'000'000));
      library.items.push_back({seededID(engine), project, engine() % 50 == 0, used,
                               Date(static_cast<double>(engine() % 100'000'000))});
      if (index % 20 == 0) {
        const auto section =
            project ? LibrarySectionID::project(*project) : LibrarySectionID::unsorted();
        library.order.moveToEnd(library.items.back().itemID, section);
      }
    }
    return library;
  }();
  return built;
}

void sections(benchmark::State& state) {
  const Library& lib = library();
  for (auto _ : state) {
    const auto result = LibrarySectioning::sections(lib.items, lib.projects, "Unsorted", lib.order,
                                                    {}, true, false);
    benchmark::DoNotOptimize(result.size());
  }
}
BENCHMARK(sections)->Unit(benchmark::kMillisecond);

// One section of 10,000 cards in a fixed order.
struct LargeSection {
  LibrarySectionID section = LibrarySectionID::unsorted();
  CardOrder order;
  std::vector<UUID> cards;

  LargeSection() {
    std::mt19937_64 engine(7);
    for (int index = 0; index < 10'000; ++index) {
      cards.push_back(seededID(engine));
      order.moveToEnd(cards.back(), section);
    }
  }
};

// Each round moves one card to the front and back again, or removes and restores one.
void moveInLargeSection(benchmark::State& state) {
  LargeSection large;
  auto& [section, order, cards] = large;
  std::size_t next = 0;
  for (auto _ : state) {
    const UUID& card = cards[next++ % cards.size()];
    order.move(card, section, cards.front());
    order.moveToEnd(card, section);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 2);
}
BENCHMARK(moveInLargeSection)->Unit(benchmark::kMicrosecond);

void removeInLargeSection(benchmark::State& state) {
  LargeSection large;
  auto& [section, order, cards] = large;
  std::size_t next = 0;
  for (auto _ : state) {
    const UUID& card = cards[next++ % cards.size()];
    order.remove(card, section);
    order.moveToEnd(card, section);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(removeInLargeSection)->Unit(benchmark::kMicrosecond);

// 100,000 identifiers over 200 sections, a tenth of them gone.
void prune(benchmark::State& state) {
  std::mt19937_64 engine(11);
  CardOrder order;
  std::unordered_set<UUID> keeping;
  std::vector<LibrarySectionID> sections;
  for (int index = 0; index < 200; ++index) {
    sections.push_back(LibrarySectionID::project(seededID(engine)));
  }
  for (int index = 0; index < 100'000; ++index) {
    const UUID card = seededID(engine);
    order.moveToEnd(card, sections[static_cast<std::size_t>(index) % 200]);
    if (index % 10 != 0) keeping.insert(card);
  }
  for (auto _ : state) {
    CardOrder copy = order;
    copy.prune(keeping);
    benchmark::DoNotOptimize(copy.isEmpty());
  }
}
BENCHMARK(prune)->Unit(benchmark::kMillisecond);

void distribute(benchmark::State& state) {
  std::mt19937_64 engine(3);
  std::vector<double> heights;
  for (int index = 0; index < 10'000; ++index) {
    heights.push_back(80 + static_cast<double>(engine() % 240));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(MasonryLayout::distribute(heights, 6, 12).size());
  }
}
BENCHMARK(distribute)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvo::bench
