#include "core/remote/PairingCode.hpp"

#include <cstdio>

#include "core/remote/Remote.hpp"
#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::Remote {
namespace {

// The 128-bit product of a draw; the extension keyword keeps pedantic builds quiet about it.
__extension__ using Wide = unsigned __int128;

bool isNumberCharacter(std::string_view character) {
  std::size_t offset = 0;
  return text::isMember(nextScalar(character, offset), text::CharacterClass::numeric);
}

// One digit, uniformly: 10 × r spans ten equal runs of 2^64 except for the 6 (2^64 mod 10)
// lowest values of each run, which are drawn again.
std::uint64_t drawDigit(const PairingCode::RandomSource& source) {
  while (true) {
    const Wide product = static_cast<Wide>(source()) * 10;
    if (static_cast<std::uint64_t>(product) >= 6) return static_cast<std::uint64_t>(product >> 64);
  }
}

}  // namespace

PairingCode::RandomSource PairingCode::systemSource() { return crypto::randomUInt64; }

std::optional<PairingCode> PairingCode::make(std::string digits, Date createdAt) {
  const auto characters = text::characters(digits);
  if (characters.size() != static_cast<std::size_t>(digitCount)) return std::nullopt;
  for (const std::string_view character : characters) {
    if (!isNumberCharacter(character)) return std::nullopt;
  }
  return PairingCode(std::move(digits), createdAt);
}

PairingCode PairingCode::random(Date now, const RandomSource& source) {
  std::uint64_t number = 0;
  for (int i = 0; i < digitCount; ++i) number = number * 10 + drawDigit(source);
  char text[8];
  std::snprintf(text, sizeof text, "%06llu", static_cast<unsigned long long>(number));
  return PairingCode(text, now);
}

bool PairingCode::isExpired(Date moment) const { return moment - createdAt_ > lifetime; }

std::string PairingCode::formatted() const {
  const auto characters = text::characters(digits_);
  std::string shown;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    if (i == 3) shown += ' ';
    shown += characters[i];
  }
  return shown;
}

bool PairingCode::matches(std::string_view candidate) const {
  return crypto::constantTimeEquals(asBytes(digits_), asBytes(candidate));
}

Bytes PairingCode::preSharedKey() const {
  std::string input = digits_;
  input += '\x1F';
  input += serviceType;
  const auto digest = crypto::SHA256::hash(input);
  return Bytes(digest.begin(), digest.end());
}

}  // namespace kelvo::Remote
