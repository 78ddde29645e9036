#pragma once

// Why the library turns down a change to its shelves, as one whole sentence for the user.
//
//   const ShelfRefusal refused = ShelfRefusal::smartShelfCapReached(12);
//   const std::string shown = refused.message();  // "Kelvo tops out at 12 smart shelves. ..."

#include <cstdint>
#include <string>
#include <variant>

namespace kelvo {

struct ShelfRefusal {
  /// The library already holds the most smart shelves it may.
  struct SmartShelfCapReached {
    std::int64_t limit;
    friend bool operator==(const SmartShelfCapReached&, const SmartShelfCapReached&) = default;
  };
  /// The smart shelf's criteria were written by a newer version, or do not decode.
  struct CriteriaAreUnreadable {
    friend bool operator==(const CriteriaAreUnreadable&, const CriteriaAreUnreadable&) = default;
  };

  std::variant<SmartShelfCapReached, CriteriaAreUnreadable> value;

  static ShelfRefusal smartShelfCapReached(std::int64_t limit) {
    return {SmartShelfCapReached{limit}};
  }
  static ShelfRefusal criteriaAreUnreadable() { return {CriteriaAreUnreadable{}}; }

  /// The whole sentence to show, localised.
  std::string message() const;

  friend bool operator==(const ShelfRefusal&, const ShelfRefusal&) = default;
};

}  // namespace kelvo
