#include "core/model/Shelf.hpp"

#include <algorithm>
#include <unordered_set>

#include "core/model/Card.hpp"
#include "core/model/DuplicateMerge.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/MergeableByID.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// The members of a to-many relationship as objects of class `T`; none when one is not.
template <class T>
std::optional<std::vector<std::shared_ptr<T>>> membersAs(const data::ManagedObject& owner,
                                                         std::string_view key) {
  const auto stored = owner.value(key);
  if (!stored || stored->objectSet() == nullptr) return std::nullopt;
  std::vector<std::shared_ptr<T>> members;
  members.reserve(stored->objectSet()->size());
  for (const auto& object : *stored->objectSet()) {
    auto member = std::dynamic_pointer_cast<T>(object);
    if (member == nullptr) return std::nullopt;
    members.push_back(std::move(member));
  }
  return members;
}

// Whether `candidate` is `shelf` or sits somewhere below it. A stored cycle above `candidate`
// ends the walk rather than looping.
bool isSelfOrDescendant(const Shelf& candidate, const Shelf& shelf) {
  std::unordered_set<const Shelf*> seen;
  std::shared_ptr<const Shelf> holder;
  for (const Shelf* current = &candidate; current != nullptr;) {
    if (current == &shelf) return true;
    if (!seen.insert(current).second) return false;
    holder = current->parent();
    current = holder.get();
  }
  return false;
}

// Gives `shelf` a new parent, unless that would close a loop in the tree: a shelf under itself
// would be saved as a cycle that no walk of the tree ever leaves. It becomes a project instead.
void reparent(Shelf& shelf, const std::shared_ptr<Shelf>& parent) {
  if (parent != nullptr && isSelfOrDescendant(*parent, shelf)) {
    shelf.setParent(nullptr);
  } else {
    shelf.setParent(parent);
  }
}

}  // namespace

const UUID& Shelf::defaultShelfID() {
  static const UUID id = *UUID::parse("A11B0000-0000-4000-8000-000000000001");
  return id;
}

std::shared_ptr<Shelf> Shelf::make(const UUID& id, std::string name, std::int64_t sortIndex,
                                   Date createdAt, bool isDefaultShelf,
                                   const std::shared_ptr<Shelf>& parent) {
  const auto& entity = KelvoModel::entity(KelvoModel::Entities::shelf);
  auto shelf = ManagedObject::make<Shelf>(entity, parent != nullptr ? parent->context() : nullptr);
  shelf->setID(id);
  shelf->setName(std::move(name));
  shelf->setSortIndex(sortIndex);
  shelf->setCreatedAt(createdAt);
  shelf->setIsDefaultShelf(isDefaultShelf);
  shelf->setParent(parent);
  return shelf;
}

std::optional<std::vector<std::shared_ptr<Card>>> Shelf::cardsStorage() const {
  return membersAs<Card>(*this, "cardsStorage");
}

void Shelf::setCardsStorage(const std::optional<std::vector<std::shared_ptr<Card>>>& cards) {
  if (!cards) {
    setValue("cardsStorage", std::nullopt);
    return;
  }
  data::Value::ObjectSet objects(cards->begin(), cards->end());
  setValue("cardsStorage", data::Value(std::move(objects)));
}

std::shared_ptr<Shelf> Shelf::parent() const { return relatedObject<Shelf>(*this, "parent"); }

void Shelf::setParent(const std::shared_ptr<Shelf>& parent) {
  setRelatedObject(*this, "parent", parent);
}

std::optional<std::vector<std::shared_ptr<Shelf>>> Shelf::childrenStorage() const {
  return membersAs<Shelf>(*this, "childrenStorage");
}

std::vector<std::shared_ptr<Card>> Shelf::cards() const {
  return cardsStorage().value_or(std::vector<std::shared_ptr<Card>>());
}

bool Shelf::isSiblingOrderBefore(const Shelf& a, const Shelf& b) {
  const bool aIsDefault = a.isDefaultShelf();
  const bool bIsDefault = b.isDefaultShelf();
  if (aIsDefault != bIsDefault) return bIsDefault;
  const std::int64_t aIndex = a.sortIndex();
  const std::int64_t bIndex = b.sortIndex();
  if (aIndex != bIndex) return aIndex < bIndex;
  const auto byName = text::localizedCaseInsensitiveCompare(a.name(), b.name());
  if (byName != 0) return byName < 0;
  // Identifiers order by their bytes exactly as by their upper-case canonical texts.
  return a.id() < b.id();
}

std::vector<std::shared_ptr<Shelf>> Shelf::children() const {
  auto children =
      DuplicateMerge::preferred(childrenStorage().value_or(std::vector<std::shared_ptr<Shelf>>()));
  std::stable_sort(children.begin(), children.end(),
                   [](const auto& a, const auto& b) { return isSiblingOrderBefore(*a, *b); });
  return children;
}

// Duplicate merge.

std::string Shelf::mergeSignature() const {
  return name() + mergeSignatureSeparator + std::to_string(sortIndex()) + mergeSignatureSeparator +
         (isDefaultShelf() ? '1' : '0');
}

void Shelf::absorb(Shelf& duplicate) {
  const auto self = std::static_pointer_cast<Shelf>(shared_from_this());
  if (parent().get() == &duplicate) reparent(*this, duplicate.parent());
  for (const auto& card : duplicate.cards()) card->setShelf(self);
  for (const auto& child : duplicate.children()) {
    if (child != self) reparent(*child, self);
  }
  if (duplicate.isDefaultShelf()) setIsDefaultShelf(true);
}

}  // namespace kelvo
