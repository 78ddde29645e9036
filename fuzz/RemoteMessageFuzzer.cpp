// Decodes bytes as a remote-control message; whatever decodes must encode and decode again to
// an equal message with the same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/remote/Message.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::Remote::Message message;
  try {
    message = kelvo::Remote::Message::decoded(text);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  const std::string once = message.encoded();
  const auto again = kelvo::Remote::Message::decoded(once);
  if (!(again == message) || again.encoded() != once) std::abort();
  return 0;
}
