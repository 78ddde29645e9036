#include "core/organisation/InMemoryCardOrderStore.hpp"

#include <utility>

namespace kelvo {

InMemoryCardOrderStore::InMemoryCardOrderStore(CardOrder order) : order_(std::move(order)) {}

CardOrder InMemoryCardOrderStore::load() { return order_; }

void InMemoryCardOrderStore::save(const CardOrder& order) { order_ = order; }

}  // namespace kelvo
