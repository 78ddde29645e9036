#include "core/model/SmartShelf.hpp"

#include <utility>

#include "core/model/MergeableByID.hpp"

namespace kelvo {

std::shared_ptr<SmartShelf> SmartShelf::make(const UUID& id, std::string name,
                                             std::int64_t sortIndex, Date createdAt,
                                             std::string criteriaText) {
  const auto& entity = KelvoModel::entity(KelvoModel::Entities::smartShelf);
  auto shelf = ManagedObject::make<SmartShelf>(entity, nullptr);
  shelf->setID(id);
  shelf->setName(std::move(name));
  shelf->setSortIndex(sortIndex);
  shelf->setCreatedAt(createdAt);
  shelf->setCriteriaJSON(std::move(criteriaText));
  return shelf;
}

std::string SmartShelf::mergeSignature() const {
  return stringValue(*this, "name", "") + mergeSignatureSeparator +
         std::to_string(intValue(*this, "sortIndex", 0));
}

void SmartShelf::absorb(SmartShelf&) {}

}  // namespace kelvo
