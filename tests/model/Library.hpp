#pragma once

// An in-memory library over the real model and a SQLite store, with makers of shelves and cards.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"

namespace kelvo::testing {

/// The identifier whose last group is `n`, so that identifiers sort as their numbers.
inline UUID uuid(int n) {
  char text[37];
  std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
  return *UUID::parse(text);
}

/// `days` days after the reference date.
inline Date day(double days) { return Date(days * 86'400); }

/// A loaded container over the shared model and `descriptions`; a store that fails throws.
inline std::unique_ptr<data::Container> openStores(
    std::vector<data::StoreDescription> descriptions) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions(std::move(descriptions));
  container->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

class Library {
 public:
  Library() : container_(KelvoPersistence::inMemoryContainer("Kelvo")) {}

  data::Context& context() { return container_->viewContext(); }

  /// An object of `entity` as the model makes it: every value its default.
  template <class T = data::ManagedObject>
  std::shared_ptr<T> insert(std::string_view entity) {
    return data::ManagedObject::make<T>(KelvoModel::entity(entity), &context());
  }

  std::shared_ptr<Shelf> shelf(const std::string& name, std::int64_t sortIndex = 0,
                               Date createdAt = day(0),
                               const std::shared_ptr<Shelf>& parent = nullptr,
                               UUID id = UUID::random()) {
    auto shelf = Shelf::make(id, name, sortIndex, createdAt, false, parent);
    if (shelf->context() == nullptr) context().insert(shelf);
    return shelf;
  }

  std::shared_ptr<Card> card(const std::string& title, Date createdAt = day(0),
                             const std::shared_ptr<Shelf>& shelf = nullptr,
                             UUID id = UUID::random()) {
    auto card = Card::make({.id = id,
                            .type = CardType::text,
                            .title = title,
                            .payload = title,
                            .createdAt = createdAt,
                            .shelf = shelf});
    if (card->context() == nullptr) context().insert(card);
    return card;
  }

 private:
  std::unique_ptr<data::Container> container_;
};

}  // namespace kelvo::testing
