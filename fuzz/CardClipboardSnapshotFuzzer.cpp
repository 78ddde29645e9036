// Decodes bytes as a card's clipboard snapshot; whatever decodes must encode and decode again to
// the same record.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/model/CardClipboardSnapshot.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::CardClipboardSnapshot snapshot;
  try {
    snapshot = kelvo::CardClipboardSnapshot::decoded(text);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  const std::string once = snapshot.encoded();
  if (kelvo::CardClipboardSnapshot::decoded(once).encoded() != once) std::abort();
  return 0;
}
