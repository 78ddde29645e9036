#pragma once

// The container of the language data files: a fixed header (magic, version, up to twelve
// sections each with offset, count and size, and the SHA-256 of the body), then the body.
// Integers are little-endian. Strings live in a string table as a length byte and the bytes;
// other sections are arrays of fixed-size records. Nothing here trusts the bytes: every read is
// checked against the size it was given. The format is told in docs/language-data.md.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::language {

using ByteView = std::span<const std::uint8_t>;

struct DataSection {
  std::uint32_t offset = 0;
  std::uint32_t count = 0;
  std::uint32_t size = 0;

  friend bool operator==(const DataSection&, const DataSection&) = default;
};

inline constexpr std::size_t dataHeaderSize = 192;
inline constexpr std::size_t dataSectionLimit = 12;
inline constexpr std::uint32_t dataFileVersion = 1;
/// Where the header keeps the SHA-256 of the body: its last 32 bytes.
inline constexpr std::size_t dataDigestOffset = dataHeaderSize - 32;

std::uint32_t readU32(ByteView bytes, std::size_t at);
float readF32(ByteView bytes, std::size_t at);

/// The header of a data file, read from its first bytes and checked against the file's size:
/// the magic, the version, the number of sections, each section inside the body and of
/// `count` × its record size (0 for the string table, which is checked entry by entry).
struct DataHeader {
  std::array<DataSection, dataSectionLimit> sections{};
  std::uint32_t sectionCount = 0;
  std::array<std::uint8_t, 32> bodyDigest{};

  static std::optional<DataHeader> read(ByteView header, std::uint64_t fileSize,
                                        std::string_view magic,
                                        std::span<const std::uint32_t> recordSizes);
  /// Whether the SHA-256 of `body` (the bytes after the header) is the one recorded.
  bool bodyMatches(ByteView body) const;
};

/// A string of the table at `offset`; none when it would run past the table.
std::optional<std::string_view> tableString(ByteView strings, std::uint32_t offset);

/// Builds a data file: strings are added once each and referred to by offset.
class DataFileWriter {
 public:
  explicit DataFileWriter(std::string_view magic) : magic_(magic) {}

  /// The offset of `text` in the string table, adding it when new. Longer than 255 bytes is a
  /// programming error.
  std::uint32_t string(std::string_view text);
  /// Appends a section of `count` records whose bytes are `records`.
  void section(std::uint32_t count, std::vector<std::uint8_t> records);
  /// The whole file: header, the string table as section 0, then the sections in order.
  std::vector<std::uint8_t> bytes() const;

  static void putU32(std::vector<std::uint8_t>& out, std::uint32_t value);
  static void putF32(std::vector<std::uint8_t>& out, float value);

 private:
  std::string magic_;
  std::vector<std::uint8_t> strings_;
  std::uint32_t stringCount_ = 0;
  std::map<std::string, std::uint32_t, std::less<>> stringOffsets_;
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> sections_;
};

/// SHA-256 of `bytes`.
std::array<std::uint8_t, 32> sha256(ByteView bytes);

}  // namespace kelvo::language
