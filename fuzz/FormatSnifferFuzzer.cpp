// Detects bytes as a file (with and without names that settle a verdict) and as pasted text:
// the sniffer never fails other than on encoding, and what it decodes it detects the same way.
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "core/import/FormatSniffer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  for (const auto* name : {"x.json", "x.csv", static_cast<const char*>(nullptr)}) {
    const std::optional<std::string_view> filename =
        name ? std::optional<std::string_view>(name) : std::nullopt;
    const auto decoded = kelvo::FormatSniffer::detect(bytes, filename);
    if (!decoded) {
      if (decoded.error() != kelvo::ImportError::unreadableEncoding()) std::abort();
      continue;
    }
    if (!decoded->text.empty() &&
        kelvo::FormatSniffer::detect(decoded->text, filename) != decoded->detection) {
      std::abort();
    }
  }
  return 0;
}
