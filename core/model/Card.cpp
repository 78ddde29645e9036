#include "core/model/Card.hpp"

namespace kelvo {

std::vector<std::string> Card::hexDigest(const std::array<std::uint8_t, 32>& digest) {
  static constexpr char digits[] = "0123456789abcdef";
  std::vector<std::string> bytes;
  bytes.reserve(digest.size());
  for (std::uint8_t byte : digest) bytes.push_back({digits[byte >> 4], digits[byte & 0x0F]});
  return bytes;
}

}  // namespace kelvo
