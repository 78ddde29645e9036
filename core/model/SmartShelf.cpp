#include "core/model/SmartShelf.hpp"

#include "core/model/MergeableByID.hpp"

namespace kelvo {

std::string SmartShelf::mergeSignature() const {
  return stringValue(*this, "name", "") + mergeSignatureSeparator +
         std::to_string(intValue(*this, "sortIndex", 0));
}

void SmartShelf::absorb(SmartShelf&) {}

}  // namespace kelvo
