#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/import/ImportError.hpp"
#include "core/import/ImportFormat.hpp"
#include "platform/foundation/Result.hpp"

/// Decides what a file or a pasted text is before it is read: an importable format, a known
/// format not read yet, a broken export with its line, or no snippet export at all.
///
///   FormatSniffer::detect("Ada, Engineer\nBo, Designer\nCy, Analyst", std::nullopt)
///   // Detection::format(ImportFormat::csv)
namespace kelvo::FormatSniffer {

struct Detection {
  struct Format {
    ImportFormat format;
    friend bool operator==(const Format&, const Format&) = default;
  };
  struct UnsupportedYet {
    UnsupportedFormat format;
    friend bool operator==(const UnsupportedYet&, const UnsupportedYet&) = default;
  };
  /// Looks like `format` but does not parse; `line` counts from 1, none when it cannot be told.
  struct Malformed {
    ImportFormat format;
    std::optional<std::int64_t> line;
    friend bool operator==(const Malformed&, const Malformed&) = default;
  };
  struct NotASnippetExport {
    friend bool operator==(const NotASnippetExport&, const NotASnippetExport&) = default;
  };

  std::variant<Format, UnsupportedYet, Malformed, NotASnippetExport> value;

  static Detection format(ImportFormat format) { return {Format{format}}; }
  static Detection unsupportedYet(UnsupportedFormat format) { return {UnsupportedYet{format}}; }
  static Detection malformed(ImportFormat format, std::optional<std::int64_t> line) {
    return {Malformed{format, line}};
  }
  static Detection notASnippetExport() { return {NotASnippetExport{}}; }

  friend bool operator==(const Detection&, const Detection&) = default;
};

struct Decoded {
  std::string text;
  Detection detection;
  friend bool operator==(const Decoded&, const Decoded&) = default;
};

/// UTF-16 after an FF FE or FE FF mark (the mark dropped), else UTF-8 as it stands (a leading
/// U+FEFF kept); none for bytes invalid in that one encoding.
std::optional<std::string> decode(std::span<const std::uint8_t> data);

/// Zip data is an unsupported bundle at once; other data is decoded and detected. Fails only
/// with `ImportError::unreadableEncoding`.
Result<Decoded, ImportError> detect(std::span<const std::uint8_t> data,
                                    std::optional<std::string_view> filename);

/// The verdict on a text; `filename` settles a broken ".json" file and a ".csv" table.
Detection detect(std::string_view text, std::optional<std::string_view> filename);

}  // namespace kelvo::FormatSniffer

template <>
struct std::hash<kelvo::FormatSniffer::Detection> {
  std::size_t operator()(const kelvo::FormatSniffer::Detection& detection) const noexcept;
};
