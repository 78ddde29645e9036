// Internal to platform/foundation: include "platform/foundation/Text.hpp" instead.
#pragma once

// Bridges between our UTF-8 strings and ICU. Included by foundation sources only, so that ICU's
// headers stay out of everything else.

#include <unicode/locid.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::foundation_internal {

inline icu::StringPiece piece(std::string_view text) {
  // ICU measures in 32-bit lengths; longer texts are cut rather than overflowing.
  const auto length = text.size() > INT32_MAX ? INT32_MAX : static_cast<int32_t>(text.size());
  return {text.data(), length};
}

inline icu::UnicodeString toUnicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(piece(text));
}

inline std::string toUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

inline icu::Locale toIcu(const Locale& locale) {
  return icu::Locale::createCanonical(locale.identifier().c_str());
}

/// `text` itself when it is well-formed UTF-8; otherwise a copy in `storage` with U+FFFD in
/// place of each ill-formed sequence. ICU's UTF-8 functions are then always given clean input.
inline std::string_view wellFormed(std::string_view text, std::string& storage) {
  if (isValidUtf8(text)) return text;
  storage = repairedUtf8(text);
  return storage;
}

struct UTextCloser {
  void operator()(UText* text) const { utext_close(text); }
};
using UTextPointer = std::unique_ptr<UText, UTextCloser>;

/// A UText over UTF-8 bytes without copying; native indexes are byte offsets into `text`.
inline UTextPointer openUtf8(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  UTextPointer result(
      utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
  if (U_FAILURE(status)) return nullptr;
  return result;
}

}  // namespace kelvo::foundation_internal
