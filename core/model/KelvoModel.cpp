#include "core/model/KelvoModel.hpp"

#include <utility>
#include <vector>

#include "core/model/Automation.hpp"
#include "core/model/Card.hpp"
#include "core/model/CardReminder.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::KelvoModel {
namespace {

using data::AttributeDescription;
using data::AttributeType;
using data::EntityDescription;
using data::RelationshipDescription;
using data::Value;

constexpr bool required = false;
constexpr bool optional = true;

template <class T>
EntityDescription makeEntity(std::string_view name, std::string className) {
  EntityDescription entity{std::string(name)};
  entity.setObjectClass<T>(std::move(className));
  return entity;
}

// The four attributes that open a shelf, a smart shelf and an automation.
void addNamedAttributes(EntityDescription& entity, Date now) {
  entity.addAttribute({"id", AttributeType::uuid, required, Value(UUID::random())});
  entity.addAttribute({"name", AttributeType::string, required, Value("")});
  entity.addAttribute({"sortIndex", AttributeType::integer64, required, Value(0)});
  entity.addAttribute({"createdAt", AttributeType::date, required, Value(now)});
}

}  // namespace

EntityDescription makeCardEntity(Date now) {
  auto card = makeEntity<Card>(Entities::card, "kelvo::Card");
  card.addAttribute({"id", AttributeType::uuid, required, Value(UUID::random())});
  for (const char* name :
       {"typeRaw", "title", "generatedTitle", "payload", "previewText", "extractedText"}) {
    card.addAttribute({name, AttributeType::string, required, Value("")});
  }
  card.addAttribute(makeTransformableAttribute("autoTags", Value(Value::StringList{})));
  card.addAttribute({"createdAt", AttributeType::date, required, Value(now)});
  card.addAttribute({"lastUsedAt", AttributeType::date, optional});
  card.addAttribute({"useCount", AttributeType::integer64, required, Value(0)});
  card.addAttribute({"isPinned", AttributeType::boolean, required, Value(false)});
  card.addAttribute({"isLocked", AttributeType::boolean, required, Value(false)});
  card.addAttribute({"sourceApp", AttributeType::string, optional});
  card.addAttribute({"factKindRaw", AttributeType::string, optional});
  card.addAttribute({"factLabel", AttributeType::string, optional});
  card.addAttribute({"syncStateRaw", AttributeType::string, required, Value("")});
  card.addAttribute({"contentHash", AttributeType::string, required, Value("")});
  card.addAttribute({"isPayloadAvailable", AttributeType::boolean, required, Value(true)});
  card.addAttribute({"deletedAt", AttributeType::date, optional});
  card.addAttribute({"pageCount", AttributeType::integer64, optional});
  AttributeDescription payloadData("payloadData", AttributeType::binaryData, optional);
  payloadData.allowsExternalBinaryDataStorage = true;
  card.addAttribute(std::move(payloadData));
  card.addAttribute({"thumbnailData", AttributeType::binaryData, optional});
  card.addAttribute({"filename", AttributeType::string, optional});
  card.addAttribute({"byteCount", AttributeType::integer64, required, Value(0)});
  return card;
}

EntityDescription makeShelfEntity(Date now) {
  auto shelf = makeEntity<Shelf>(Entities::shelf, "kelvo::Shelf");
  addNamedAttributes(shelf, now);
  shelf.addAttribute({"isDefaultShelf", AttributeType::boolean, required, Value(false)});
  return shelf;
}

EntityDescription makeCardReminderEntity(Date now) {
  auto reminder = makeEntity<CardReminder>(Entities::cardReminder, "kelvo::CardReminder");
  reminder.addAttribute({"id", AttributeType::uuid, required, Value(UUID::random())});
  reminder.addAttribute({"cardID", AttributeType::uuid, optional});
  reminder.addAttribute({"fireAt", AttributeType::date, required, Value(now)});
  reminder.addAttribute({"repeatRuleRaw", AttributeType::string, required, Value("none")});
  reminder.addAttribute({"isDone", AttributeType::boolean, required, Value(false)});
  reminder.addAttribute({"completedAt", AttributeType::date, optional});
  reminder.addAttribute({"createdAt", AttributeType::date, required, Value(now)});
  reminder.addAttribute({"note", AttributeType::string, required, Value("")});
  return reminder;
}

EntityDescription makeSmartShelfEntity(Date now) {
  auto smartShelf = makeEntity<SmartShelf>(Entities::smartShelf, "kelvo::SmartShelf");
  addNamedAttributes(smartShelf, now);
  smartShelf.addAttribute({"criteria", AttributeType::string, required, Value("")});
  return smartShelf;
}

EntityDescription makeAutomationEntity(Date now) {
  auto automation = makeEntity<Automation>(Entities::automation, "kelvo::Automation");
  addNamedAttributes(automation, now);
  automation.addAttribute({"definition", AttributeType::string, required, Value("")});
  return automation;
}

AttributeDescription makeTransformableAttribute(std::string name, Value defaultValue) {
  AttributeDescription attribute(std::move(name), AttributeType::transformable, required,
                                 std::move(defaultValue));
  attribute.valueTransformerName = data::ValueTransformer::secureUnarchiveFromDataName;
  return attribute;
}

std::shared_ptr<const data::Model> makeModel(Date now) {
  auto card = makeCardEntity(now);
  auto shelf = makeShelfEntity(now);
  // Every relationship is optional and unordered and nullifies: nothing cascades.
  card.addRelationship({"shelf", std::string(Entities::shelf), 0, 1, "cardsStorage"});
  shelf.addRelationship({"cardsStorage", std::string(Entities::card), 0, 0, "shelf"});
  shelf.addRelationship({"parent", std::string(Entities::shelf), 0, 1, "childrenStorage"});
  shelf.addRelationship({"childrenStorage", std::string(Entities::shelf), 0, 0, "parent"});
  std::vector<EntityDescription> entities;
  entities.push_back(std::move(card));
  entities.push_back(std::move(shelf));
  entities.push_back(makeCardReminderEntity(now));
  entities.push_back(makeSmartShelfEntity(now));
  entities.push_back(makeAutomationEntity(now));
  return std::make_shared<const data::Model>(std::move(entities));
}

const std::shared_ptr<const data::Model>& shared() {
  static const std::shared_ptr<const data::Model> model = makeModel(Clock::system().now());
  return model;
}

const data::EntityDescription& entity(std::string_view name) {
  const data::EntityDescription* found = shared()->entity(name);
  if (found == nullptr) fatal("KelvoModel has no entity named " + std::string(name));
  return *found;
}

}  // namespace kelvo::KelvoModel
