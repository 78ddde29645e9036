#include "platform/data/Container.hpp"

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::data {

namespace {

constexpr int noMemory = 7;  // SQLITE_NOMEM

// Told when memory stays too short to write the sentence that names the file; made at the first
// open, while there is memory to make it.
const StoreError& outOfMemory() {
  static const StoreError error(StoreError::Kind::sqlite,
                                "Could not open a store: there is not enough memory.", noMemory);
  return error;
}

}  // namespace

Container::Container(std::string name, std::shared_ptr<const Model> model)
    : name_(std::move(name)),
      coordinator_(std::make_shared<StoreCoordinator>(std::move(model))),
      viewContext_(std::make_unique<Context>(coordinator_)) {}

void Container::loadStores(const LoadCompletion& completion) {
  outOfMemory();
  const auto report = [&](const StoreDescription& description, std::string_view why, int code) {
    std::optional<StoreError> failure;
    try {
      failure.emplace(
          StoreError::Kind::sqlite,
          "Could not open the store at " + description.url.string() + ": " + std::string(why),
          code);
    } catch (const std::bad_alloc&) {
    }
    if (completion) completion(description, failure ? &*failure : &outOfMemory());
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
