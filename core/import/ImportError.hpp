#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "core/import/ImportFormat.hpp"

namespace kelvo {

/// Why an import could not read what it was given. A value, never thrown.
///
///   ImportError::malformed(ImportFormat::raycast, 4) !=
///   ImportError::malformed(ImportFormat::raycast)
struct ImportError {
  /// The bytes are not valid in the one encoding chosen for them.
  struct UnreadableEncoding {
    friend bool operator==(const UnreadableEncoding&, const UnreadableEncoding&) = default;
  };
  struct TooLarge {
    std::int64_t byteCount;
    std::int64_t limit;
    friend bool operator==(const TooLarge&, const TooLarge&) = default;
  };
  struct NotASnippetExport {
    friend bool operator==(const NotASnippetExport&, const NotASnippetExport&) = default;
  };
  /// Raised by the app's own file access, never by the library.
  struct NoPermission {
    friend bool operator==(const NoPermission&, const NoPermission&) = default;
  };
  /// The text looks like `format` but does not parse; `line` counts from 1.
  struct Malformed {
    ImportFormat format;
    std::optional<std::int64_t> line;
    friend bool operator==(const Malformed&, const Malformed&) = default;
  };
  struct UnsupportedYet {
    UnsupportedFormat format;
    friend bool operator==(const UnsupportedYet&, const UnsupportedYet&) = default;
  };
  /// The text holds more snippets than one import takes (`limit`).
  struct TooManySnippets {
    std::int64_t limit;
    friend bool operator==(const TooManySnippets&, const TooManySnippets&) = default;
  };

  std::variant<UnreadableEncoding, TooLarge, NotASnippetExport, NoPermission, Malformed,
               UnsupportedYet, TooManySnippets>
      value;

  static ImportError unreadableEncoding() { return {UnreadableEncoding{}}; }
  static ImportError tooLarge(std::int64_t byteCount, std::int64_t limit) {
    return {TooLarge{byteCount, limit}};
  }
  static ImportError notASnippetExport() { return {NotASnippetExport{}}; }
  static ImportError noPermission() { return {NoPermission{}}; }
  static ImportError malformed(ImportFormat format,
                               std::optional<std::int64_t> line = std::nullopt) {
    return {Malformed{format, line}};
  }
  static ImportError unsupportedYet(UnsupportedFormat format) { return {UnsupportedYet{format}}; }
  static ImportError tooManySnippets(std::int64_t limit) { return {TooManySnippets{limit}}; }

  /// The whole sentence the import sheet shows; the same text as `ImportCopy::error`.
  std::string message() const;

  friend bool operator==(const ImportError&, const ImportError&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::ImportError> {
  std::size_t operator()(const kelvo::ImportError& error) const noexcept;
};
