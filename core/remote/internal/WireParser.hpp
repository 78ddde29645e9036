#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "platform/foundation/JSON.hpp"

namespace kelvo::Remote::internal {

/// Reads a received JSON document as strictly as `json::parse` does (UTF-8, nesting up to
/// `json::maximumDepth`), keeping only members whose names are in `knownKeys` (sorted): a peer
/// may add members we do not know, and what sits under them is dropped as it is read instead of
/// being built first. What is kept is bounded too: more values than one per
/// `bytesPerKeptValue` bytes of text (far denser than any real message) is refused, and so is a
/// run of more than `maximumContainerRun` array or object starts and ends with no value or key
/// between them, kept or not, or of more than `maximumWhiteSpaceRun` white-space characters
/// outside strings. Throws `DecodingError` (data corrupted).
Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys);

inline constexpr std::size_t bytesPerKeptValue = 8;
inline constexpr std::size_t maximumContainerRun = 1 << 16;
inline constexpr std::size_t maximumWhiteSpaceRun = 1 << 16;

}  // namespace kelvo::Remote::internal
