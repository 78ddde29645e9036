// Duplicate merge over a file store: 10,000 cards in 2,000 groups of five copies, on 20 shelves.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/model/Card.hpp"
#include "core/model/DuplicateMerge.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"

namespace {

using namespace kelvo;

class FileLibrary {
 public:
  FileLibrary() {
    std::random_device device;
    folder_ = std::filesystem::temp_directory_path() /
              ("kelvo-bench-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(folder_);
    container_ = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
    container_->setStoreDescriptions({KelvoPersistence::description(folder_ / "Kelvo.store")});
    container_->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
      if (error != nullptr) throw *error;
    });
  }
  ~FileLibrary() {
    container_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  data::Context& context() { return container_->viewContext(); }

  // `groups` identifiers with `copies` cards each, saved.
  void fill(int groups, int copies) {
    std::vector<std::shared_ptr<Shelf>> shelves;
    for (int i = 0; i < 20; ++i) {
      auto shelf =
          Shelf::make(UUID::random(), "Shelf " + std::to_string(i), i, Date(i), false, nullptr);
      context().insert(shelf);
      shelves.push_back(shelf);
    }
    for (int group = 0; group < groups; ++group) {
      const UUID id = UUID::random();
      for (int copy = 0; copy < copies; ++copy) {
        auto card = Card::make(
            {.id = id,
             .title = "Card " + std::to_string(group),
             .payload = "A snippet of text kept on a shelf, number " + std::to_string(group),
             .createdAt = Date(1'000.0 * copy),
             .lastUsedAt = Date(2'000.0 * copy),
             .useCount = copy,
             .isPinned = copy == copies - 1,
             .shelf = copy == 0 ? nullptr : shelves[group % 20]});
        if (card->context() == nullptr) context().insert(card);
      }
    }
    context().save();
  }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<data::Container> container_;
};

void BM_MergeDuplicateCards(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  const int copies = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    auto library = std::make_unique<FileLibrary>();
    library->fill(groups, copies);
    state.ResumeTiming();
    const auto report = DuplicateMerge::run(library->context());
    benchmark::DoNotOptimize(report);
    state.PauseTiming();
    if (report.removedCount() != static_cast<std::int64_t>(groups) * (copies - 1)) {
      state.SkipWithError("the merge removed the wrong number of cards");
    }
    library.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * groups * copies);
}
// 10,000 cards in 2,000 groups; then 10,000 distinct cards, where only fetching and grouping run.
BENCHMARK(BM_MergeDuplicateCards)
    ->Args({2'000, 5})
    ->Args({10'000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
