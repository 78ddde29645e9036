#pragma once

// The link rule spelled out step by step with the full URL parse, for checking the link test's
// shortcuts against.
#include <string>
#include <string_view>

#include "core/model/WebLink.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/URL.hpp"

namespace kelvo::testing {

inline bool isWebLinkByFullParse(std::string_view text) {
  const std::string trimmed = text::trimmed(text);
  if (text::characterCount(trimmed) > linkCharacterLimit) return false;
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
  return host && (host->find('.') != std::string::npos || *host == "localhost");
}

}  // namespace kelvo::testing
