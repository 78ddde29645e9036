#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// Stored or received JSON that does not decode. Carries the kind, a description and the coding
/// path: the keys (and "Index n" for array elements) from the root to the failing value.
class DecodingError : public Error {
 public:
  enum class Kind {
    /// A value of another JSON type than the one expected, or an object with the wrong number of
    /// case keys; `type()` names the type being decoded.
    typeMismatch,
    /// A required member is missing.
    keyNotFound,
    /// A required value is null.
    valueNotFound,
    /// Not JSON, too deep, or a value the type refuses (an unknown raw value, a bad UUID).
    dataCorrupted,
  };

  DecodingError(Kind kind, std::string description, std::vector<std::string> codingPath,
                std::string type = {}, std::optional<std::size_t> offset = std::nullopt);

  Kind kind() const { return kind_; }
  const std::string& description() const { return description_; }
  const std::vector<std::string>& codingPath() const { return codingPath_; }
  /// The type being decoded, for type mismatches and missing values; empty otherwise.
  const std::string& type() const { return type_; }
  /// The coding path joined with ".", or empty at the root.
  std::string codingPathText() const;
  /// For text that is not JSON, the 0-based offset of the byte where reading failed.
  std::optional<std::size_t> offset() const { return offset_; }

 private:
  Kind kind_;
  std::string description_;
  std::vector<std::string> codingPath_;
  std::string type_;
  std::optional<std::size_t> offset_;
};

/// A value that JSON cannot hold (a number that is not finite).
class EncodingError : public Error {
 public:
  using Error::Error;
};

}  // namespace kelvo
