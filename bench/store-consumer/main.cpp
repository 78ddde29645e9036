// Opens the store named first on the command line. A new one gets a default shelf and 100
// cards; one that has them is read: every shelf and card, and each card's shelf.
//
// With "one-more" and a copy of that store after it, keeps one card more and saves, then closes
// the container in a function of its own (`closeTheStore`); beside it, a caller of SQLite alone
// adds a row to the copy in a transaction and closes its connection (`closeRawPeer`): the close
// after a small save, and SQLite's own, counted in one program.
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"

using namespace kelvo;

namespace {

__attribute__((noinline)) void closeTheStore(std::unique_ptr<data::Container>& container) {
  container.reset();
}

__attribute__((noinline)) int closeRawPeer(sqlite3* connection) {
  return sqlite3_close(connection);
}

int oneMore(const char* store, const char* copy) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions({KelvoPersistence::description(store)});
  bool opened = true;
  container->loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    opened = error == nullptr;
  });
  if (!opened) return 1;
  data::Context& context = container->viewContext();
  KelvoPersistence::configure(context);
  const auto shelves = context.fetch(Shelf::fetchRequest());
  if (shelves.empty()) return 1;
  Card::make({.id = UUID::random(),
              .type = CardType::text,
              .title = "One more",
              .payload = "One more card",
              .createdAt = Date(800'000'000),
              .shelf = shelves.front()});
  context.save();
  closeTheStore(container);

  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(copy, &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(connection,
                   "CREATE TABLE IF NOT EXISTS peer(x); BEGIN; INSERT INTO peer VALUES "
                   "('One more card'); COMMIT;",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(connection);
    return 1;
  }
  return closeRawPeer(connection) == SQLITE_OK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc == 4 && std::string(argv[2]) == "one-more") return oneMore(argv[1], argv[3]);
  data::Container container("Kelvo", KelvoModel::shared());
  container.setStoreDescriptions({KelvoPersistence::description(argv[1])});
  bool opened = true;
  container.loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    opened = error == nullptr;
  });
  if (!opened) return 1;
  data::Context& context = container.viewContext();
  KelvoPersistence::configure(context);
  const auto shelves = context.fetch(Shelf::fetchRequest());
  if (shelves.empty()) {
    const Date now(800'000'000);
    const auto unsorted = Shelf::make(Shelf::defaultShelfID(), "Unsorted", 0, now, true, nullptr);
    context.insert(unsorted);
    for (int i = 0; i < 100; ++i) {
      Card::make({.id = UUID::random(),
                  .type = CardType::text,
                  .title = "Card " + std::to_string(i),
                  .payload = "The text of card " + std::to_string(i),
                  .createdAt = now,
                  .shelf = unsorted});
    }
    context.save();
    return 0;
  }
  std::size_t onShelves = 0;
  for (const auto& card : context.fetch(Card::fetchRequest())) {
    if (card->shelf() != nullptr) ++onShelves;
  }
  std::printf("cards_on_shelves=%zu\n", onShelves);
  return onShelves == 100 ? 0 : 1;
}
