// Decodes bytes as a paired-device record; whatever decodes must encode and decode again to the
// same record and text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/remote/PairedDevice.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::Remote::PairedDevice device;
  try {
    device = kelvo::Remote::PairedDevice::decoded(text);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  const std::string once = device.encoded();
  const auto again = kelvo::Remote::PairedDevice::decoded(once);
  if (!(again == device) || again.encoded() != once) std::abort();
  return 0;
}
