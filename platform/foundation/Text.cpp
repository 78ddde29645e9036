#include "platform/foundation/Text.hpp"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Utf.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo::text {
namespace {

using foundation_internal::piece;
using foundation_internal::wellFormed;

void asciiLower(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

void asciiUpper(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

const icu::Normalizer2& normalizer(bool composed) {
  static const icu::Normalizer2* const nfcInstance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const auto* instance = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) fatal("ICU has no NFC data");
    return instance;
  }();
  static const icu::Normalizer2* const nfdInstance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const auto* instance = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) fatal("ICU has no NFD data");
    return instance;
  }();
  return composed ? *nfcInstance : *nfdInstance;
}

// Normalises clean UTF-8, copying nothing when it is already in the form.
std::string normalize(std::string_view clean, bool composed) {
  const auto& form = normalizer(composed);
  UErrorCode status = U_ZERO_ERROR;
  if (form.isNormalizedUTF8(piece(clean), status) && U_SUCCESS(status)) return std::string(clean);
  std::string out;
  status = U_ZERO_ERROR;
  icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(clean.size()));
  form.normalizeUTF8(0, piece(clean), sink, nullptr, status);
  return U_SUCCESS(status) ? out : std::string(clean);
}

std::string caseFoldClean(std::string_view clean) {
  std::string out;
  UErrorCode status = U_ZERO_ERROR;
  icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(clean.size()));
  icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, piece(clean), sink, nullptr, status);
  return U_SUCCESS(status) ? out : std::string(clean);
}

bool isDiacriticMark(char32_t scalar) {
  return u_charType(static_cast<UChar32>(scalar)) == U_NON_SPACING_MARK &&
         u_hasBinaryProperty(static_cast<UChar32>(scalar), UCHAR_DIACRITIC);
}

std::string stripDiacriticsClean(std::string_view clean) {
  const std::string decomposed = normalize(clean, false);
  std::string kept;
  kept.reserve(decomposed.size());
  std::size_t offset = 0;
  while (offset < decomposed.size()) {
    const std::size_t start = offset;
    if (!isDiacriticMark(nextScalar(decomposed, offset))) {
      kept.append(decomposed, start, offset - start);
    }
  }
  return normalize(kept, true);
}

enum class Mapping { lower, upper };

std::string mapCase(std::string_view text, const char* locale, Mapping mapping) {
  if (isASCII(text) && locale[0] == '\0') {
    std::string out(text);
    mapping == Mapping::lower ? asciiLower(out) : asciiUpper(out);
    return out;
  }
  std::string storage;
  const std::string_view clean = wellFormed(text, storage);
  std::string out;
  UErrorCode status = U_ZERO_ERROR;
  icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(clean.size()));
  if (mapping == Mapping::lower) {
    icu::CaseMap::utf8ToLower(locale, 0, piece(clean), sink, nullptr, status);
  } else {
    icu::CaseMap::utf8ToUpper(locale, 0, piece(clean), sink, nullptr, status);
  }
  return U_SUCCESS(status) ? out : std::string(clean);
}

// Calls `visit(start, end)` for each character until it returns false.
template <typename Visit>
void forEachCharacter(std::string_view text, Visit visit) {
  if (text.empty()) return;
  if (isASCII(text)) {
    for (std::size_t i = 0; i < text.size();) {
      // Only CR LF joins two ASCII scalars into one character.
      const std::size_t end =
          text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
      if (!visit(i, end)) return;
      i = end;
    }
    return;
  }
  thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> created(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !created) fatal("ICU has no character break data");
    return created;
  }();
  auto utext = foundation_internal::openUtf8(text);
  UErrorCode status = U_ZERO_ERROR;
  if (!utext) return;
  iterator->setText(utext.get(), status);
  if (U_FAILURE(status)) return;
  int32_t start = iterator->first();
  for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE;
       start = end, end = iterator->next()) {
    if (!visit(static_cast<std::size_t>(start), static_cast<std::size_t>(end))) break;
  }
}

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  forEachCharacter(text, [&](std::size_t, std::size_t) {
    ++count;
    return true;
  });
  return count;
}

std::string prefix(std::string_view text, std::size_t count) {
  if (count == 0) return {};
  // ASCII bytes other than CR are characters of their own, as long as the byte after the cut
  // (which could otherwise extend the last character) is one too.
  const std::string_view head = text.substr(0, count + 1);
  if (isASCII(head) && head.find('\r') == std::string_view::npos) {
    return std::string(text.substr(0, count));
  }
  std::size_t taken = 0;
  std::size_t cut = 0;
  forEachCharacter(text, [&](std::size_t, std::size_t end) {
    cut = end;
    return ++taken < count;
  });
  return std::string(text.substr(0, cut));
}

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> result;
  forEachCharacter(text, [&](std::size_t start, std::size_t end) {
    result.push_back(text.substr(start, end - start));
    return true;
  });
  return result;
}

std::string nfc(std::string_view text) {
  if (isASCII(text)) return std::string(text);
  std::string storage;
  return normalize(wellFormed(text, storage), true);
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (isASCII(a) && isASCII(b)) return false;
  return nfc(a) == nfc(b);
}

std::size_t canonicalHash(std::string_view text) {
  if (isASCII(text)) return std::hash<std::string_view>{}(text);
  return std::hash<std::string>{}(nfc(text));
}

std::string caseFolded(std::string_view text) {
  if (isASCII(text)) {
    std::string out(text);
    asciiLower(out);
    return out;
  }
  std::string storage;
  return normalize(caseFoldClean(wellFormed(text, storage)), true);
}

std::string diacriticFolded(std::string_view text) {
  if (isASCII(text)) return std::string(text);
  std::string storage;
  return stripDiacriticsClean(wellFormed(text, storage));
}

std::string folded(std::string_view text) {
  if (isASCII(text)) {
    std::string out(text);
    asciiLower(out);
    return out;
  }
  std::string storage;
  // Folding case first lets the marks it produces ("İ" folds to "i" + U+0307) go too.
  return stripDiacriticsClean(caseFoldClean(wellFormed(text, storage)));
}

std::string lowercased(std::string_view text) { return mapCase(text, "", Mapping::lower); }

std::string uppercased(std::string_view text) { return mapCase(text, "", Mapping::upper); }

std::string lowercased(std::string_view text, const Locale& locale) {
  return mapCase(text, locale.identifier().c_str(), Mapping::lower);
}

std::string uppercased(std::string_view text, const Locale& locale) {
  return mapCase(text, locale.identifier().c_str(), Mapping::upper);
}

namespace {

bool memberOfClass(char32_t scalar, CharacterClass characterClass) {
  if (scalar > 0x10FFFF) return false;
  const auto c = static_cast<UChar32>(scalar);
  const uint32_t category = U_GET_GC_MASK(c);
  switch (characterClass) {
    case CharacterClass::whitespace:
      return c == 0x09 || (category & U_GC_ZS_MASK) != 0;
    case CharacterClass::newline:
      return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
    case CharacterClass::whitespaceAndNewline:
      return memberOfClass(scalar, CharacterClass::whitespace) ||
             memberOfClass(scalar, CharacterClass::newline);
    case CharacterClass::letter:
      return (category & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
    case CharacterClass::mark:
      return (category & U_GC_M_MASK) != 0;
    case CharacterClass::decimalDigit:
      return (category & U_GC_ND_MASK) != 0;
    case CharacterClass::alphanumeric:
      return (category & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
    case CharacterClass::control:
      return (category & (U_GC_CC_MASK | U_GC_CF_MASK)) != 0;
    case CharacterClass::alphabetic:
      return u_isUAlphabetic(c);
    case CharacterClass::numeric:
      return u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE;
    case CharacterClass::lowercase:
      return u_hasBinaryProperty(c, UCHAR_LOWERCASE) != 0;
    case CharacterClass::uppercase:
      return u_hasBinaryProperty(c, UCHAR_UPPERCASE) != 0;
  }
  return false;
}

constexpr std::size_t classCount = static_cast<std::size_t>(CharacterClass::uppercase) + 1;

// The classes of each ASCII scalar, one bit per class, read from the tables above once: most
// texts are ASCII, and these tests run per scalar.
const std::array<std::uint16_t, 0x80>& asciiClasses() {
  static const std::array<std::uint16_t, 0x80> table = [] {
    std::array<std::uint16_t, 0x80> built{};
    for (char32_t c = 0; c < 0x80; ++c) {
      for (std::size_t k = 0; k < classCount; ++k) {
        if (memberOfClass(c, static_cast<CharacterClass>(k))) built[c] |= std::uint16_t(1U << k);
      }
    }
    return built;
  }();
  return table;
}

}  // namespace

bool isMember(char32_t scalar, CharacterClass characterClass) {
  if (scalar < 0x80) {
    return (asciiClasses()[scalar] >> static_cast<unsigned>(characterClass) & 1U) != 0;
  }
  return memberOfClass(scalar, characterClass);
}

bool containsAny(std::string_view text, CharacterClass characterClass) {
  const auto& ascii = asciiClasses();
  const auto bit = static_cast<std::uint16_t>(1U << static_cast<unsigned>(characterClass));
  std::size_t offset = 0;
  while (offset < text.size()) {
    // An ASCII byte is a scalar of its own: no decoding needed.
    const auto byte = static_cast<unsigned char>(text[offset]);
    if (byte < 0x80) {
      if ((ascii[byte] & bit) != 0) return true;
      ++offset;
    } else if (memberOfClass(nextScalar(text, offset), characterClass)) {
      return true;
    }
  }
  return false;
}

std::string joined(std::span<const std::string> parts, std::string_view separator) {
  std::size_t size = parts.empty() ? 0 : separator.size() * (parts.size() - 1);
  for (const std::string& part : parts) size += part.size();
  std::string result;
  result.reserve(size);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += separator;
    result += parts[i];
  }
  return result;
}

std::string trimmed(std::string_view text, CharacterClass characterClass) {
  std::size_t first = text.size();
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t start = offset;
    if (!isMember(nextScalar(text, offset), characterClass)) {
      first = start;
      break;
    }
  }
  if (first == text.size()) return {};
  // An ASCII byte is always a scalar of its own, so a trailing run of them reads backwards;
  // only a text ending in another scalar is read forwards, from the first one kept.
  std::size_t last = text.size();
  while (static_cast<unsigned char>(text[last - 1]) < 0x80) {
    if (!isMember(static_cast<char32_t>(text[last - 1]), characterClass)) {
      return std::string(text.substr(first, last - first));
    }
    --last;
  }
  const std::string_view head = text.substr(0, last);
  std::size_t end = first;
  offset = first;
  while (offset < head.size()) {
    if (!isMember(nextScalar(head, offset), characterClass)) end = offset;
  }
  return std::string(text.substr(first, end - first));
}

}  // namespace kelvo::text
