#pragma once

#include "core/organisation/CardOrder.hpp"
#include "core/organisation/CardOrderPersisting.hpp"

namespace kelvo {

/// A card-order store that holds the order in memory, for previews and tests. Used from one
/// thread at a time.
///
///   InMemoryCardOrderStore store{CardOrder()};
///   store.save(order);
///   assert(store.load() == order);
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
