#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/model/CardType.hpp"

namespace kelvo {

/// The rules for turning a file into a card: the size limit and its refusals, the wording of
/// byte counts (used by every message that names a file size), and what a file name implies.
/// Pure: no store, no file system.
struct FileCapture {
  /// 50 MB; a file of exactly this size is kept.
  static constexpr std::int64_t maximumByteCount = 50 * 1'048'576;

  /// Why a file is not kept.
  struct Rejection {
    struct TooLarge {
      std::int64_t byteCount;
      std::int64_t limit;
      friend bool operator==(const TooLarge&, const TooLarge&) = default;
    };
    struct Empty {
      friend bool operator==(const Empty&, const Empty&) = default;
    };

    std::variant<TooLarge, Empty> value;

    static Rejection tooLarge(std::int64_t byteCount, std::int64_t limit) {
      return {TooLarge{byteCount, limit}};
    }
    static Rejection empty() { return {Empty{}}; }

    /// The whole sentence to show, localised.
    std::string message() const;

    friend bool operator==(const Rejection&, const Rejection&) = default;
  };

  /// None when the size is acceptable; 0 or less is empty.
  static std::optional<Rejection> validate(std::int64_t byteCount);

  /// "512 bytes", "1.5 KB", "10 KB", "50 MB": one decimal below 10 units, none from there.
  /// Counts below 1,024 (negative ones too) are written in bytes, "1 bytes" included.
  static std::string formattedSize(std::int64_t byteCount);

  /// Image or document by the lower-cased extension, otherwise file; never text or fact.
  static CardType kind(std::string_view filename);
  /// The name without its extension, "_" and "-" as spaces, blanks collapsed, first character
  /// upper-cased; the name unchanged when nothing is left.
  static std::string title(std::string_view filename);
  /// "PDF · 1.5 KB", or the size alone for a name without an extension.
  static std::string previewText(std::string_view filename, std::int64_t byteCount);
  /// The upper-cased extension cut to four characters, or "FILE".
  static std::string extensionBadge(const std::optional<std::string>& filename);
  /// The card content hash with the file's bytes in place of the payload text.
  static std::string contentHash(CardType type, std::span<const std::uint8_t> data);
};

}  // namespace kelvo
