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
  const auto report = [&](const StoreDescription& description, const std::string& why, int code) {
    const StoreError failure(StoreError::Kind::sqlite,
                             "Could not open the store at " + description.url.string() + ": " + why,
                             code);
    if (completion) completion(description, &failure);
  };
  for (const auto& description : descriptions_) {
    try {
      coordinator_->addStore(description);
    } catch (const StoreError& error) {
      if (completion) completion(description, &error);
      continue;
    } catch (const std::bad_alloc&) {
      // The completion is the one place a host hears of a failed open.
      report(description, "there is not enough memory.", noMemory);
      continue;
    } catch (const std::exception& error) {
      report(description, error.what(), 0);
      continue;
    }
    if (completion) completion(description, nullptr);
  }
}

}  // namespace kelvo::data
