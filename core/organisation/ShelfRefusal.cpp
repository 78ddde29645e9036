#include "core/organisation/ShelfRefusal.hpp"

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo {

std::string ShelfRefusal::message() const {
  return std::visit(
      Overloaded{
          [](const SmartShelfCapReached& c) {
            return localized(
                "Kelvo tops out at %lld smart shelves. Delete one you no longer use to make room.",
                c.limit);
          },
          [](const CriteriaAreUnreadable&) {
            return localized(
                "This smart shelf was made by a newer version of Kelvo. Update Kelvo to open it "
                "\u2014 nothing has been lost.");
          },
      },
      value);
}

}  // namespace kelvo
