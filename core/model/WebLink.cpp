#include "core/model/WebLink.hpp"

#include <string>

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

// Most links are plain: after the scheme, a host of letters, digits, hyphens and dots holding a
// dot, then nothing, or a path and query of characters a URL takes as they are. Such a text is
// a URL whose host holds a dot, so the full parse can be skipped; anything else is parsed.
bool isPlainLinkWithDottedHost(std::string_view candidate) {
  std::size_t i = candidate.find("://");
  if (i == std::string_view::npos) return false;
  i += 3;
  const std::size_t hostStart = i;
  bool dotted = false;
  for (; i < candidate.size() && candidate[i] != '/'; ++i) {
    const char c = candidate[i];
    if (c == '.') {
      dotted = true;
    } else if (!isASCIIAlphanumeric(c) && c != '-') {
      return false;
    }
  }
  if (i == hostStart || !dotted) return false;
  for (; i < candidate.size(); ++i) {
    const char c = candidate[i];
    if (!isASCIIAlphanumeric(c) &&
        std::string_view("-._~/?=&+").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool isWebLink(std::string_view text) {
  // Both prefixes start with "h" or "w", and no other character lower-cases to either: most
  // texts are turned down here, before they are copied, counted or lower-cased.
  const char32_t first = firstKept(text) | 0x20;
  if (first != U'h' && first != U'w') return false;
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
  if (isPlainLinkWithDottedHost(candidate)) return true;

  const auto url = URL::parse(candidate);
  if (!url) return false;
  const auto host = url->host();
  if (!host) return false;
  return host->find('.') != std::string::npos || *host == "localhost";
}

}  // namespace kelvo
