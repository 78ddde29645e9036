#include "platform/foundation/UUID.hpp"

#include <uuid/uuid.h>

#include <cstring>

#include "platform/foundation/Hex.hpp"

namespace kelvo {
namespace {

constexpr bool isHyphenPosition(size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

}  // namespace

UUID UUID::random() {
  uuid_t raw;
  uuid_generate_random(raw);
  Bytes bytes;
  std::memcpy(bytes.data(), raw, bytes.size());
  return UUID(bytes);
}

std::optional<UUID> UUID::parse(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Bytes bytes{};
  size_t out = 0;
  for (size_t i = 0; i < text.size();) {
    if (isHyphenPosition(i)) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    const int high = hexDigitValue(text[i]);
    const int low = hexDigitValue(text[i + 1]);
    if (high < 0 || low < 0 || isHyphenPosition(i + 1)) return std::nullopt;
    bytes[out++] = static_cast<std::uint8_t>(high << 4 | low);
    i += 2;
  }
  return UUID(bytes);
}

std::string UUID::uuidString() const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(36);
  for (size_t i = 0; i < bytes_.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(digits[bytes_[i] >> 4]);
    text.push_back(digits[bytes_[i] & 0xF]);
  }
  return text;
}

}  // namespace kelvo

size_t std::hash<kelvo::UUID>::operator()(const kelvo::UUID& id) const noexcept {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  std::memcpy(&high, id.bytes().data(), 8);
  std::memcpy(&low, id.bytes().data() + 8, 8);
  return static_cast<size_t>(high ^ (low * 0x9E3779B97F4A7C15ULL));
}
