#include "platform/data/Container.hpp"

#include <exception>
#include <new>
#include <string>

namespace kelvo::data {

namespace {
constexpr int noMemory = 7;  // SQLITE_NOMEM
}  // namespace

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
    } catch (const std::exception& error) {
      // The completion is the one place a host hears of a failed open.
      const bool memory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
      const StoreError failure(
          StoreError::Kind::sqlite,
          "Could not open the store at " + description.url.string() + ": " +
              (memory ? std::string("there is not enough memory.") : std::string(error.what())),
          memory ? noMemory : 0);
      if (completion) completion(description, &failure);
      continue;
    }
    if (completion) completion(description, nullptr);
  }
}

}  // namespace kelvo::data
