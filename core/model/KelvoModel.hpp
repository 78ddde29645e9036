#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/PropertyDescription.hpp"
#include "platform/data/Value.hpp"
#include "platform/foundation/Date.hpp"

/// The one managed-object model of the process, built in code. Its entity and attribute names
/// are the stored format: stores are opened with lightweight migration, so a name changed here
/// orphans the data stored under the old one.
namespace kelvo::KelvoModel {

/// The entity names, spelled here and nowhere else.
namespace Entities {
inline constexpr std::string_view card = "Card";
inline constexpr std::string_view shelf = "Shelf";
inline constexpr std::string_view cardReminder = "CardReminder";
inline constexpr std::string_view smartShelf = "SmartShelf";
inline constexpr std::string_view automation = "Automation";
}  // namespace Entities

/// The model, built on first use from any thread and never rebuilt. Its default dates are the
/// moment it was built, and each entity's default identifier one random identifier made then:
/// every object inserted without those values shares them, so creators set "id" and
/// "createdAt" themselves.
const std::shared_ptr<const data::Model>& shared();

/// The entity of exactly `name` (case-sensitive) in the shared model. Callers pass an
/// `Entities` constant; any other name stops the process.
const data::EntityDescription& entity(std::string_view name);

// The builders of `shared`, in the order of the model's entities. `now` is the moment of
// building, the default of every required date.

data::EntityDescription makeCardEntity(Date now);
data::EntityDescription makeShelfEntity(Date now);
data::EntityDescription makeCardReminderEntity(Date now);
data::EntityDescription makeSmartShelfEntity(Date now);
data::EntityDescription makeAutomationEntity(Date now);
/// The five entities with their relationships.
std::shared_ptr<const data::Model> makeModel(Date now);
/// A required transformable attribute that keeps a list of strings.
data::AttributeDescription makeTransformableAttribute(std::string name, data::Value defaultValue);

}  // namespace kelvo::KelvoModel
