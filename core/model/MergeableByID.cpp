// The merge order, and how shelves, cards and smart shelves take part in duplicate merge.
#include "core/model/MergeableByID.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>

#include "core/model/Card.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

constexpr char unitSeparator = '\x1f';

bool isNaN(Date date) { return std::isnan(date.timeIntervalSinceReferenceDate()); }

bool earlier(Date a, Date b) {
  if (isNaN(a) || isNaN(b)) return !isNaN(a) && isNaN(b);
  return a < b;
}

bool sameMoment(Date a, Date b) { return isNaN(a) ? isNaN(b) : a == b; }

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

MergeKey MergeKey::make(Date createdAt, std::string_view signature) {
  return {createdAt, text::nfc(signature)};
}

bool mergePrecedes(const MergeKey& a, const MergeKey& b) {
  if (earlier(a.createdAt, b.createdAt)) return true;
  // UTF-8 in byte order is text in Unicode scalar order.
  return sameMoment(a.createdAt, b.createdAt) && a.signature < b.signature;
}

bool mergeTies(const MergeKey& a, const MergeKey& b) {
  return sameMoment(a.createdAt, b.createdAt) && a.signature == b.signature;
}

std::string Shelf::mergeSignature() const {
  return name() + unitSeparator + std::to_string(sortIndex()) + unitSeparator +
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

std::string Card::mergeSignature() const {
  return title() + unitSeparator + contentHash() + unitSeparator + std::to_string(useCount());
}

void Card::absorb(Card& duplicate) {
  if (shelf() == nullptr) setShelf(duplicate.shelf());
  setUseCount(std::max(useCount(), duplicate.useCount()));
  if (const auto used = duplicate.lastUsedAt()) {
    const auto own = lastUsedAt();
    if (!own || *used > *own) setLastUsedAt(used);
  }
  if (duplicate.isPinned()) setIsPinned(true);
  // A copy outside the trash brings the survivor back out of it.
  if (!duplicate.deletedAt()) setDeletedAt(std::nullopt);
}

std::string SmartShelf::mergeSignature() const {
  return stringValue(*this, "name", "") + unitSeparator +
         std::to_string(intValue(*this, "sortIndex", 0));
}

void SmartShelf::absorb(SmartShelf&) {}

}  // namespace kelvo
