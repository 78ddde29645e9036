#pragma once

#include "core/organisation/CardOrder.hpp"

namespace kelvo {

/// Where the manual card order lives between launches. The host application supplies the
/// persistent store; `load()` must give back what the last `save` was given, in the stored form
/// of docs/card-order.md.
class CardOrderPersisting {
 public:
  virtual ~CardOrderPersisting() = default;

  /// The order last saved.
  virtual CardOrder load() = 0;
  /// Keeps `order`; a persistent store throws its own `Error` when it cannot.
  virtual void save(const CardOrder& order) = 0;

 protected:
  CardOrderPersisting() = default;
  CardOrderPersisting(const CardOrderPersisting&) = default;
  CardOrderPersisting& operator=(const CardOrderPersisting&) = default;
};

}  // namespace kelvo
