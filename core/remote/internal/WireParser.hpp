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
/// `bytesPerKeptValue` bytes of text (far denser than any real message) is refused. Throws
/// `DecodingError` (data corrupted).
Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys);

inline constexpr std::size_t bytesPerKeptValue = 8;

}  // namespace kelvo::Remote::internal
