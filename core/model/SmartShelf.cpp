#include "core/model/SmartShelf.hpp"

#include <utility>

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

}  // namespace kelvo
