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

  const auto url = URL::parse(candidate);
  if (!url) return false;
  const auto host = url->host();
  if (!host) return false;
  return host->find('.') != std::string::npos || *host == "localhost";
}

}  // namespace kelvo
