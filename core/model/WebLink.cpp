#include "core/model/WebLink.hpp"

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {

namespace {

// The first character that trimming keeps, or 0 when there is none.
char32_t firstKept(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    const char32_t scalar = nextScalar(text, offset);
    if (!text::isMember(scalar, text::CharacterClass::whitespaceAndNewline)) return scalar;
  }
  return 0;
}

bool isASCIIAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Most links are plain: after "://", a host of letters, digits, hyphens and dots holding a
// dot, then nothing, or a path and query of characters a URL takes as they are. Such a text is
// a URL whose host holds a dot, so the full parse can be skipped; anything else is parsed.
bool isPlainLinkWithDottedHost(std::string_view afterScheme) {
  std::size_t i = 0;
  bool dotted = false;
  for (; i < afterScheme.size() && afterScheme[i] != '/'; ++i) {
    const char c = afterScheme[i];
    if (c == '.') {
      dotted = true;
    } else if (!isASCIIAlphanumeric(c) && c != '-') {
      return false;
    }
  }
  if (i == 0 || !dotted) return false;
  for (; i < afterScheme.size(); ++i) {
    const char c = afterScheme[i];
    if (!isASCIIAlphanumeric(c) &&
        std::string_view("-._~/?=&+").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

bool isASCII(char c) { return static_cast<unsigned char>(c) < 0x80; }

bool isASCIIWhitespace(char c) {
  static const std::array<bool, 0x80> whitespace = [] {
    std::array<bool, 0x80> table{};
    for (char32_t scalar = 0; scalar < 0x80; ++scalar) {
      table[scalar] = text::isMember(scalar, text::CharacterClass::whitespaceAndNewline);
    }
    return table;
  }();
  return isASCII(c) && whitespace[static_cast<unsigned char>(c)];
}

// Whether `text` starts with `lowered` in any ASCII case: yes, no, or none where a non-ASCII
// byte comes first, which lower-casing might turn into a match.
std::optional<bool> startsWithASCII(std::string_view text, std::string_view lowered) {
  for (std::size_t i = 0; i < lowered.size(); ++i) {
    if (i == text.size()) return false;
    if (!isASCII(text[i])) return std::nullopt;
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != lowered[i]) return false;
  }
  return true;
}

// The answer for text of ASCII only, read in place without copying, trimming or lower-casing;
// none where the text holds anything else or would need the full parse. Where it answers, it
// answers as the steps below do.
std::optional<bool> asciiAnswer(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isASCIIWhitespace(text[begin])) ++begin;
  while (end > begin && isASCIIWhitespace(text[end - 1])) --end;
  const std::string_view trimmed = text.substr(begin, end - begin);
  if (trimmed.empty() || trimmed.size() > linkCharacterLimit) return std::nullopt;
  std::size_t hostStart = 0;
  bool undecided = false;
  for (const auto& [scheme, skip] :
       {std::pair<std::string_view, std::size_t>{"http://", 7}, {"https://", 8}, {"www.", 0}}) {
    const auto starts = startsWithASCII(trimmed, scheme);
    if (!starts) undecided = true;
    if (starts.value_or(false)) {
      hostStart = skip;
      break;
    }
    if (scheme == "www.") return undecided ? std::nullopt : std::optional<bool>(false);
  }
  // Only once the whole text is known to be ASCII is it trimmed as the steps below trim it.
  bool spaced = false;
  for (const char c : trimmed) {
    if (!isASCII(c)) return std::nullopt;
    spaced = spaced || isASCIIWhitespace(c);
  }
  if (spaced) return false;
  if (isPlainLinkWithDottedHost(trimmed.substr(hostStart))) return true;
  return std::nullopt;
}

}  // namespace

bool isWebLink(std::string_view text) {
  // Both prefixes start with "h" or "w", and no other character lower-cases to either: most
  // texts are turned down here, before they are copied, counted or lower-cased.
  const char32_t first = firstKept(text) | 0x20;
  if (first != U'h' && first != U'w') return false;
  if (const auto answer = asciiAnswer(text)) return *answer;
  const std::string trimmed = text::trimmed(text);
  // A character is at least one byte, so only long texts need counting, and only so far.
  if (trimmed.size() > linkCharacterLimit &&
      text::prefix(trimmed, linkCharacterLimit).size() < trimmed.size()) {
    return false;
  }

  // The schemes are eight characters at most; lower-casing more could not change the answer.
  const std::string lowered = text::lowercased(text::prefix(trimmed, 8));
  std::string candidate;
  if (lowered.starts_with("http://") || lowered.starts_with("https://")) {
    candidate = trimmed;
  } else if (lowered.starts_with("www.")) {
    candidate = "https://" + trimmed;
  } else {
    return false;
  }
  if (text::containsAny(candidate, text::CharacterClass::whitespaceAndNewline)) return false;

  const auto url = URL::parse(candidate);
  if (!url) return false;
  const auto host = url->host();
  if (!host) return false;
  return host->find('.') != std::string::npos || *host == "localhost";
}

}  // namespace kelvo
