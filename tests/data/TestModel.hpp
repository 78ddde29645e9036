#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/data/Container.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data::testing {

// Two entities shaped like the library's: folders hold notes and nest.
class Folder : public ManagedObject {
 public:
  using ManagedObject::ManagedObject;
};
class Note : public ManagedObject {
 public:
  using ManagedObject::ManagedObject;
};

inline const UUID defaultID = UUID::random();
inline const Date defaultDate(700'000'000.5);

inline EntityDescription folderEntity(bool withRank = true) {
  EntityDescription folder("Folder");
  folder.setObjectClass<Folder>("Folder");
  folder.addAttribute({"id", AttributeType::uuid, false, Value(defaultID)});
  folder.addAttribute({"name", AttributeType::string, false, Value("")});
  if (withRank) folder.addAttribute({"rank", AttributeType::integer64, false, Value(7)});
  folder.addRelationship({"notes", "Note", 0, 0, "folder"});
  folder.addRelationship({"parent", "Folder", 0, 1, "children"});
  folder.addRelationship({"children", "Folder", 0, 0, "parent"});
  return folder;
}

inline EntityDescription noteEntity() {
  EntityDescription note("Note");
  note.setObjectClass<Note>("Note");
  note.addAttribute({"id", AttributeType::uuid, false, Value(defaultID)});
  note.addAttribute({"title", AttributeType::string, false, Value("")});
  note.addAttribute({"body", AttributeType::string});
  AttributeDescription tags("tags", AttributeType::transformable, false, Value::StringList{});
  tags.valueTransformerName = ValueTransformer::secureUnarchiveFromDataName;
  note.addAttribute(tags);
  note.addAttribute({"useCount", AttributeType::integer64, false, Value(0)});
  note.addAttribute({"isAvailable", AttributeType::boolean, false, Value(true)});
  note.addAttribute({"createdAt", AttributeType::date, false, Value(defaultDate)});
  note.addAttribute({"lastUsedAt", AttributeType::date});
  AttributeDescription data("data", AttributeType::binaryData);
  data.allowsExternalBinaryDataStorage = true;
  note.addAttribute(data);
  note.addRelationship({"folder", "Folder", 0, 1, "notes"});
  return note;
}

inline std::shared_ptr<const Model> testModel() {
  static const auto model =
      std::make_shared<const Model>(std::vector<EntityDescription>{noteEntity(), folderEntity()});
  return model;
}

// Boxes and items: an item must be in a box.
inline std::vector<EntityDescription> boxAndItem() {
  EntityDescription box("Box");
  box.addAttribute({"name", AttributeType::string, false, Value("")});
  box.addRelationship({"items", "Item", 0, 0, "box"});
  EntityDescription item("Item");
  item.addAttribute({"name", AttributeType::string, false, Value("")});
  RelationshipDescription required("box", "Box", 1, 1, "items");
  required.isOptional = false;
  item.addRelationship(required);
  return {box, item};
}

// A model a host may define, unlike the library's: an item must be in a box, and a crate holds
// one to three parts, whose link to it may be empty.
inline std::shared_ptr<const Model> boxesModel() {
  static const auto model = [] {
    std::vector<EntityDescription> entities = boxAndItem();
    EntityDescription crate("Crate");
    crate.addAttribute({"name", AttributeType::string, false, Value("")});
    crate.addRelationship({"parts", "Part", 1, 3, "crate"});
    EntityDescription part("Part");
    part.addAttribute({"name", AttributeType::string, false, Value("")});
    part.addRelationship({"crate", "Crate", 0, 1, "parts"});
    entities.push_back(crate);
    entities.push_back(part);
    return std::make_shared<const Model>(entities);
  }();
  return model;
}

// A container over one store, loaded; fails the test's expectations when loading fails.
inline std::unique_ptr<Container> openContainer(const std::filesystem::path& url,
                                                std::shared_ptr<const Model> model = testModel()) {
  auto container = std::make_unique<Container>("Test", std::move(model));
  container->setStoreDescriptions({StoreDescription(url)});
  container->loadStores([](const StoreDescription&, const StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

// The error a save throws; none when it saves.
inline std::optional<StoreError> saveError(Context& context) {
  try {
    context.save();
  } catch (const StoreError& error) {
    return error;
  }
  return std::nullopt;
}

inline std::shared_ptr<Note> makeNote(Context& context, const std::string& title) {
  auto note = ManagedObject::make<Note>(*testModel()->entity("Note"), &context);
  note->setValue("id", UUID::random());
  note->setValue("title", title);
  return note;
}

// A store at `url` holding one note more, `title`; closed again.
inline void keepNote(const std::filesystem::path& url, const std::string& title) {
  auto container = openContainer(url);
  makeNote(container->viewContext(), title);
  container->viewContext().save();
}

inline std::shared_ptr<Folder> makeFolder(Context& context, const std::string& name) {
  auto folder = ManagedObject::make<Folder>(*testModel()->entity("Folder"), &context);
  folder->setValue("id", UUID::random());
  folder->setValue("name", name);
  return folder;
}

}  // namespace kelvo::data::testing
