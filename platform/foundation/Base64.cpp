#include "platform/foundation/Base64.hpp"

#include <array>

namespace kelvo {
namespace {

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> decodingTable() {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (size_t i = 0; i < alphabet.size(); ++i) {
    table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
  }
  return table;
}

constexpr auto sextets = decodingTable();

}  // namespace

std::string base64Encoded(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; bytes.size() - i >= 3; i += 3) {
    const std::uint32_t group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    text.push_back(alphabet[group >> 18]);
    text.push_back(alphabet[group >> 12 & 63]);
    text.push_back(alphabet[group >> 6 & 63]);
    text.push_back(alphabet[group & 63]);
  }
  if (const size_t rest = bytes.size() - i; rest > 0) {
    const std::uint32_t group = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
    text.push_back(alphabet[group >> 18]);
    text.push_back(alphabet[group >> 12 & 63]);
    text.push_back(rest == 2 ? alphabet[group >> 6 & 63] : '=');
    text.push_back('=');
  }
  return text;
}

std::optional<Bytes> base64Decoded(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const size_t digits = last ? 4 - padding : 4;
    std::uint32_t group = 0;
    for (size_t k = 0; k < 4; ++k) {
      std::int8_t value = 0;
      if (k < digits) {
        value = sextets[static_cast<unsigned char>(text[i + k])];
        if (value < 0) return std::nullopt;
      }
      group = group << 6 | static_cast<std::uint32_t>(value);
    }
    // Bits below the last whole byte must be zero, so every byte string has one spelling.
    if ((padding == 1 && last && (group & 0xFF) != 0) ||
        (padding == 2 && last && (group & 0xFFFF) != 0)) {
      return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (digits > 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
    if (digits > 3) bytes.push_back(static_cast<std::uint8_t>(group));
  }
  return bytes;
}

}  // namespace kelvo
