#pragma once

// The identifiers of cards, shelves, reminders and devices: random from the system's generator,
// written in upper case wherever they are stored or sent, read in either case, and ordered and
// hashable for sets and maps:
//
//   const UUID id = UUID::random();
//   const std::string stored = id.uuidString();  // 36 characters, upper case
//   const std::optional<UUID> read = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
//   std::unordered_map<UUID, std::string> titles{{id, "Wi-Fi"}};

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

/// A 128-bit identifier. Its canonical text is upper-case hyphenated hex.
class UUID {
 public:
  using Bytes = std::array<std::uint8_t, 16>;

  /// The nil identifier (all zero). Use `random()` for a fresh one.
  constexpr UUID() = default;
  constexpr explicit UUID(const Bytes& bytes) : bytes_(bytes) {}

  /// A random (version 4) identifier from the system's generator.
  static UUID random();
  /// Parses the canonical 8-4-4-4-12 hex text in either case; nothing else parses.
  static std::optional<UUID> parse(std::string_view text);

  /// Upper-case canonical text, as stored and sent.
  std::string uuidString() const;
  constexpr const Bytes& bytes() const { return bytes_; }

  friend constexpr bool operator==(const UUID&, const UUID&) = default;
  // Byte order equals the order of the canonical texts.
  friend constexpr auto operator<=>(const UUID&, const UUID&) = default;

 private:
  Bytes bytes_{};
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::UUID> {
  size_t operator()(const kelvo::UUID& id) const noexcept;
};
