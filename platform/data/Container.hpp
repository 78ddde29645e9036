#pragma once

// The way into the data layer: a container holds a model, the coordinator of its stores, the
// descriptions of the stores to open, and the view context over them. Open the stores once,
// then work in the view context (Context.hpp):
//
//     data::Container container("Library", model);
//     container.setStoreDescriptions({data::StoreDescription(folder / "Library.store")});
//     container.loadStores([](const data::StoreDescription&, const data::StoreError* error) {
//       if (error != nullptr) throw *error;  // or report it and go on without that store
//     });
//     data::Context& context = container.viewContext();

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/Context.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/StoreCoordinator.hpp"
#include "platform/data/StoreDescription.hpp"
#include "platform/data/StoreError.hpp"

namespace kelvo::data {

/// A named model with its coordinator, its store descriptions and a view context.
class Container {
 public:
  /// Called once per description: with null when its store was added, else with the error.
  using LoadCompletion = std::function<void(const StoreDescription&, const StoreError*)>;

  Container(std::string name, std::shared_ptr<const Model> model);
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  const std::string& name() const { return name_; }
  const Model& model() const { return coordinator_->model(); }
  StoreCoordinator& coordinator() { return *coordinator_; }

  const std::vector<StoreDescription>& storeDescriptions() const { return descriptions_; }
  void setStoreDescriptions(std::vector<StoreDescription> descriptions) {
    descriptions_ = std::move(descriptions);
  }

  /// Adds a store for each description, in order, before returning; reports each through
  /// `completion`. A description that fails does not stop the others. Every failure reaches
  /// `completion` as a `StoreError`: no exception leaves this call but one `completion` throws.
  void loadStores(const LoadCompletion& completion);

  /// The context for the caller's own thread, over the container's coordinator.
  Context& viewContext() { return *viewContext_; }

 private:
  std::string name_;
  std::vector<StoreDescription> descriptions_;
  std::shared_ptr<StoreCoordinator> coordinator_;
  std::unique_ptr<Context> viewContext_;
};

}  // namespace kelvo::data
