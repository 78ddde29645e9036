#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/language/DataFile.hpp"

namespace kelvo::fuzz {

/// The input as a table whose body checksum is made right, so that the fuzzer reaches the
/// readers behind the checksum instead of stopping at it.
inline std::vector<std::uint8_t> resigned(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() >= language::dataHeaderSize) {
    const auto digest =
        language::sha256(language::ByteView(bytes).subspan(language::dataHeaderSize));
    std::copy(digest.begin(), digest.end(), bytes.begin() + language::dataDigestOffset);
  }
  return bytes;
}

}  // namespace kelvo::fuzz
