#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

/// How long a text snippet is in words.
namespace SnippetMetrics {

/// Snippets of this many words or fewer get no length label.
inline constexpr std::size_t shortSnippetWordCount = 12;

/// The number of runs of characters between whitespace or newline characters. A character is
/// whitespace when its first scalar is; a carriage return and line feed are one character.
std::size_t wordCount(std::string_view text);

/// "13 words" for a long snippet, none for a short one; fixed English, never localised.
std::optional<std::string> lengthLabel(std::string_view text);

}  // namespace SnippetMetrics
}  // namespace kelvo
