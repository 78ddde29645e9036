#include "platform/data/Container.hpp"

namespace kelvo::data {

Container::Container(std::string name, std::shared_ptr<const Model> model)
    : name_(std::move(name)),
      coordinator_(std::make_shared<StoreCoordinator>(std::move(model))),
      viewContext_(std::make_unique<Context>(coordinator_)) {}

void Container::loadStores(const LoadCompletion& completion) {
  for (const auto& description : descriptions_) {
    try {
      coordinator_->addStore(description);
    } catch (const StoreError& error) {
      if (completion) completion(description, &error);
      continue;
    }
    if (completion) completion(description, nullptr);
  }
}

}  // namespace kelvo::data
