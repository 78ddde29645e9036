#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of one kept item: a text snippet, an image, a file, a document or a fact.
/// It holds no state of its own: every property reads and writes an attribute of the "Card"
/// entity by key, and a missing or mistyped value reads as the property's default.
class Card : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  // Identity.

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }

  // Content hash.

  /// Each byte of a SHA-256 digest as two lower-case hexadecimal digits, in digest order; the
  /// content hash joins them with no separator.
  static std::vector<std::string> hexDigest(const std::array<std::uint8_t, 32>& digest);
};

}  // namespace kelvo
