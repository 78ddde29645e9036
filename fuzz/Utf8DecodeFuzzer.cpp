// Decodes arbitrary bytes as UTF-8 and UTF-16 and runs the text helpers over the result,
// checking that strict and lossy decoding agree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = kelvo::fuzz::text(data, size);
  const auto strict = kelvo::decodeUtf8(bytes);
  const std::string lossy = kelvo::decodeUtf8Lossy(bytes);
  if (!kelvo::isValidUtf8(lossy)) std::abort();
  if (strict && *strict != lossy) std::abort();
  if (!strict && lossy.find("\xEF\xBF\xBD") == std::string::npos) std::abort();

  const std::string wide = kelvo::decodeUtf16Lossy(bytes, kelvo::ByteOrder::littleEndian);
  if (!kelvo::isValidUtf8(wide)) std::abort();
  if (const auto strictWide = kelvo::decodeUtf16(bytes);
      strictWide && !kelvo::isValidUtf8(*strictWide)) {
    std::abort();
  }

  // The text helpers take any bytes, well-formed or not.
  const std::size_t count = kelvo::text::characterCount(bytes);
  if (kelvo::text::characters(bytes).size() != count) std::abort();
  if (kelvo::text::characterCount(kelvo::text::prefix(bytes, count / 2)) > count / 2) std::abort();
  if (!kelvo::isValidUtf8(kelvo::text::folded(bytes))) std::abort();
  kelvo::text::trimmed(bytes);
  kelvo::text::canonicalHash(bytes);
  return 0;
}
