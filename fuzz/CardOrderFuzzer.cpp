// Reads arbitrary bytes as a stored card order and as a section identifier, and checks that
// whatever reads writes back to text that reads equal and writes the same bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/organisation/CardOrder.hpp"
#include "core/organisation/LibrarySectionID.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

namespace {

using kelvo::fuzz::require;

void checkOrder(std::string_view bytes) {
  using kelvo::CardOrder;
  CardOrder order;
  try {
    order = CardOrder::decode(bytes);
  } catch (const kelvo::DecodingError&) {
    return;
  }
  const std::string written = order.encoded();
  const CardOrder reread = CardOrder::decode(written);
  require(reread == order);
  require(reread.encoded() == written);
  for (const auto& [key, list] : order.sections()) {
    require(!list.empty());
    // Lists are found by their section's key; a key in lower case is kept but never found.
    const auto section = kelvo::LibrarySectionID::fromStorageKey(key);
    if (section && section->storageKey() == key) {
      require(order.position(list.front(), *section) == 0u);
    }
  }
}

void checkSection(std::string_view bytes) {
  using kelvo::LibrarySectionID;
  try {
    const LibrarySectionID section = LibrarySectionID::decode(bytes);
    require(LibrarySectionID::decode(section.encoded()) == section);
    require(LibrarySectionID::fromStorageKey(section.storageKey()) == section);
  } catch (const kelvo::DecodingError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = kelvo::fuzz::text(data, size);
  checkOrder(bytes);
  checkSection(bytes);
  return 0;
}
