#pragma once

#include <concepts>
#include <string>
#include <string_view>

#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// A managed-object class whose records that share an identifier duplicate merge folds into
/// one: `Shelf`, `Card` and `SmartShelf`.
template <class T>
concept MergeableByID = std::derived_from<T, data::ManagedObject> &&
    requires(T& record, const T& constRecord) {
  /// The entity's name as `KelvoModel::Entities` spells it.
  { T::mergeEntityName } -> std::convertible_to<std::string_view>;
  { constRecord.id() } -> std::same_as<UUID>;
  { constRecord.createdAt() } -> std::same_as<Date>;
  /// The record's distinguishing attributes, joined by U+001F: ties are settled by it, and
  /// records that agree in it and in their creation moment cannot be told apart.
  { constRecord.mergeSignature() } -> std::same_as<std::string>;
  /// Takes over from a record about to be deleted what must outlive it.
  record.absorb(record);
};

/// Joins the attributes of a merge signature: U+001F, the unit separator.
inline constexpr char mergeSignatureSeparator = '\x1f';

/// Where one record stands in the merge order, read once.
struct MergeKey {
  Date createdAt;
  /// The signature in canonical composition, so that equivalent texts are equal.
  std::string signature;

  template <MergeableByID T>
  static MergeKey of(const T& record) {
    return make(record.createdAt(), record.mergeSignature());
  }
  static MergeKey make(Date createdAt, std::string_view signature);
};

/// Whether `a` comes first in the merge order: the earlier creation moment, then, at the same
/// moment, the smaller signature by Unicode scalar values. A moment that is not a number counts
/// as later than every other, so the order stays one that sorting can rely on.
bool mergePrecedes(const MergeKey& a, const MergeKey& b);
/// Whether neither comes first: the same moment and equal signatures.
bool mergeTies(const MergeKey& a, const MergeKey& b);

}  // namespace kelvo
