// The usage examples at the top of the data layer's headers, run as written.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data/Container.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo {
namespace {

TEST(ContainerAndContext, APIExamples) {
  const kelvo::testing::TemporaryDirectory directory;
  const auto folder = directory.path();
  const auto model = data::testing::testModel();
  std::vector<std::string> shown;
  const auto show = [&](const data::Value& title) { shown.push_back(*title.string()); };
  {
    data::Container container("Library", model);
    container.setStoreDescriptions({data::StoreDescription(folder / "Library.store")});
    container.loadStores([](const data::StoreDescription&, const data::StoreError* error) {
      if (error != nullptr) throw *error;  // or report it and go on without that store
    });
    data::Context& context = container.viewContext();
    auto note = data::ManagedObject::make(*model->entity("Note"), &context);
    note->setValue("title", "Groceries");
    context.save();  // throws StoreError
    for (const auto& stored : context.fetch("Note")) show(*stored->value("title"));

    EXPECT_EQ(shown, std::vector<std::string>{"Groceries"});
  }
  // The note was saved to the file, not only kept in memory.
  data::Container reopened("Library", model);
  reopened.setStoreDescriptions({data::StoreDescription(folder / "Library.store")});
  reopened.loadStores([](const data::StoreDescription&, const data::StoreError* error) {
    ASSERT_EQ(error, nullptr);
  });
  EXPECT_EQ(reopened.viewContext().count("Note"), 1u);
}

}  // namespace
}  // namespace kelvo
