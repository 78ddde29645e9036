// What a card's content yields: its preview line, its content hash and its template.
#include "core/model/Card.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Hex.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {

std::string Card::makePreview(std::string_view text, std::size_t limit) {
  // Every line end becomes one space; a CR LF pair is one line end, not two.
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += ' ';
    } else {
      line += text[i] == '\n' ? ' ' : text[i];
    }
  }
  line = text::trimmed(line);
  std::string head = text::prefix(line, limit);
  if (head.size() == line.size()) return line;
  // The cut is not trimmed again: a preview may end in a space before the ellipsis.
  return head + "\u2026";
}

std::string Card::contentHash(CardType type, std::string_view payload) {
  crypto::SHA256 hasher;
  hasher.update(rawValue(type));
  hasher.update(std::string_view("\x1f", 1));
  hasher.update(payload);
  return hexString(hasher.finalize());
}

std::vector<std::string> Card::hexDigest(const std::array<std::uint8_t, 32>& digest) {
  static constexpr char digits[] = "0123456789abcdef";
  std::vector<std::string> bytes;
  bytes.reserve(digest.size());
  for (std::uint8_t byte : digest) bytes.push_back({digits[byte >> 4], digits[byte & 0x0F]});
  return bytes;
}

std::optional<VariableTemplate> Card::variableTemplate() const {
  // Exactly "text": an unknown type reads as file and has no template.
  if (typeRaw() != rawValue(CardType::text)) return std::nullopt;
  return VariableTemplate(payload());
}

bool Card::hasVariables() const {
  const auto parsed = variableTemplate();
  return parsed && parsed->hasVariables();
}

}  // namespace kelvo
