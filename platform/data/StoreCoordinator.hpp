#pragma once

#include <memory>
#include <vector>

#include "platform/data/Model.hpp"
#include "platform/data/Store.hpp"
#include "platform/data/StoreDescription.hpp"

namespace kelvo::data {

/// Holds the stores of one model. Contexts save to and fetch from its first store; the other
/// stores are opened and listed. A coordinator and its contexts are used on one thread at a time.
class StoreCoordinator {
 public:
  explicit StoreCoordinator(std::shared_ptr<const Model> model);
  StoreCoordinator(const StoreCoordinator&) = delete;
  StoreCoordinator& operator=(const StoreCoordinator&) = delete;

  const Model& model() const { return *model_; }
  const std::shared_ptr<const Model>& sharedModel() const { return model_; }

  /// Opens the store a description names and adds it; throws `StoreError` when it cannot.
  Store& addStore(const StoreDescription& description);
  /// The stores in the order they were added.
  const std::vector<std::unique_ptr<Store>>& stores() const { return stores_; }

 private:
  std::shared_ptr<const Model> model_;
  std::vector<std::unique_ptr<Store>> stores_;
};

}  // namespace kelvo::data
