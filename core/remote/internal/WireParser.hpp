// Internal to core/remote: include "core/remote/Framer.hpp" or "core/remote/AuthRecords.hpp"
// instead.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "platform/foundation/JSON.hpp"

namespace kelvo::remote_internal {

/// Reads a received JSON document as strictly as `json::parse` does (UTF-8, nesting up to
/// `json::maximumDepth`), with any value at the top, keeping only members whose names are in
/// `knownKeys` (sorted): a peer may add members we do not know, and what sits under them is
/// checked as it is read but never built. A kept string is built once, in storage of its
/// decoded length. Refused besides, as data corrupted:
/// - kept values that would cost the heap (by an estimate from the tree's containers: a node per
///   member, a slot per element, each object, array and string, long texts) more than
///   `keptBytesPerTextByte` per byte of text read so far, plus `keptByteAllowance`. The densest
///   page a host writes costs about 7.4 per byte; a document denser in what it keeps is refused
///   where that shows, before it has built much, and none can cost much more than such a page.
/// - a number longer than `maximumNumberLength` characters, wherever it stands: the protocol's
///   numbers are whole numbers, and no double needs more than 24 characters either.
/// Throws `DecodingError` (data corrupted).
Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys);

inline constexpr std::size_t keptBytesPerTextByte = 12;
inline constexpr std::size_t keptByteAllowance = 4096;
inline constexpr std::size_t maximumNumberLength = 64;

/// The member names, at any depth, of messages, sorted.
std::span<const std::string_view> messageKeys();
/// Those of an authentication request.
std::span<const std::string_view> authRequestKeys();
/// Those of an authentication response.
std::span<const std::string_view> authResponseKeys();

}  // namespace kelvo::remote_internal
