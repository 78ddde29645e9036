#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvo {

/// Byte order of UTF-16 text that carries no byte-order mark.
enum class ByteOrder { bigEndian, littleEndian };

/// Decodes UTF-8 bytes. A leading byte-order mark is dropped; any ill-formed sequence (overlong
/// forms, surrogates, values above U+10FFFF, truncated sequences) gives no value.
std::optional<std::string> decodeUtf8(std::string_view bytes);
std::optional<std::string> decodeUtf8(std::span<const std::uint8_t> bytes);

/// Decodes UTF-8 bytes, putting U+FFFD in place of each maximal ill-formed subpart (as the
/// Unicode standard recommends). A leading byte-order mark is dropped.
std::string decodeUtf8Lossy(std::string_view bytes);
std::string decodeUtf8Lossy(std::span<const std::uint8_t> bytes);

/// Decodes UTF-16 bytes into UTF-8. A leading byte-order mark decides the order and is dropped;
/// without one, `unmarked` applies. An unpaired surrogate or an odd trailing byte gives no value.
std::optional<std::string> decodeUtf16(std::string_view bytes,
                                       ByteOrder unmarked = ByteOrder::bigEndian);
std::optional<std::string> decodeUtf16(std::span<const std::uint8_t> bytes,
                                       ByteOrder unmarked = ByteOrder::bigEndian);

/// As `decodeUtf16`, with U+FFFD for each unpaired surrogate and for an odd trailing byte.
std::string decodeUtf16Lossy(std::string_view bytes, ByteOrder unmarked = ByteOrder::bigEndian);
std::string decodeUtf16Lossy(std::span<const std::uint8_t> bytes,
                             ByteOrder unmarked = ByteOrder::bigEndian);

/// `text` with U+FFFD in place of each maximal ill-formed subpart, as `decodeUtf8Lossy` reads
/// it, but with a leading byte-order mark kept: for text that is meant to be UTF-8 already.
std::string repairedUtf8(std::string_view text);

/// Whether `text` is well-formed UTF-8 (a byte-order mark counts as an ordinary scalar).
bool isValidUtf8(std::string_view text);
/// Whether every byte is below 0x80.
bool isASCII(std::string_view text);

/// The Unicode scalar starting at `offset` (which must lie inside `text`), moving `offset` past
/// it. An ill-formed sequence gives U+FFFD and moves past its maximal subpart, so a loop of
/// `nextScalar` always ends and reads the text as `decodeUtf8Lossy` does.
char32_t nextScalar(std::string_view text, std::size_t& offset);

/// Appends the UTF-8 form of `scalar`; a surrogate or a value above U+10FFFF appends U+FFFD.
void appendUtf8(std::string& out, char32_t scalar);

}  // namespace kelvo
