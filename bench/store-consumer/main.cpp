// Opens the store named first on the command line. A new one gets a default shelf and 100
// cards; one that has them is read: every shelf and card, and each card's shelf.
#include <cstdio>
#include <string>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"

using namespace kelvo;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
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
