#pragma once

// A card-order store that holds the order in memory, for previews and tests:
//
//   CardOrder order;
//   order.moveToEnd(UUID::random(), LibrarySectionID::unsorted());
//   InMemoryCardOrderStore store{CardOrder()};
//   store.save(order);
//   const bool kept = store.load() == order;  // true

#include "core/organisation/CardOrder.hpp"
#include "core/organisation/CardOrderPersisting.hpp"

namespace kelvo {

/// A card-order store that holds the order in memory, for previews and tests. Used from one
/// thread at a time.
class InMemoryCardOrderStore final : public CardOrderPersisting {
 public:
  explicit InMemoryCardOrderStore(CardOrder order);

  CardOrder load() override;
  /// Never fails.
  void save(const CardOrder& order) override;

 private:
  CardOrder order_;
};

}  // namespace kelvo
