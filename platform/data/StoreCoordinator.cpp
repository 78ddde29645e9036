#include "platform/data/StoreCoordinator.hpp"

#include "platform/foundation/Error.hpp"

namespace kelvo::data {

StoreCoordinator::StoreCoordinator(std::shared_ptr<const Model> model) : model_(std::move(model)) {
  if (model_ == nullptr) fatal("A store coordinator needs a model");
}

Store& StoreCoordinator::addStore(const StoreDescription& description) {
  stores_.push_back(std::make_unique<Store>(description, *model_));
  return *stores_.back();
}

}  // namespace kelvo::data
