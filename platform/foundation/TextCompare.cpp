#include "platform/foundation/TextCompare.hpp"

#include <unicode/coll.h>
#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo::text {
namespace {

// The case-insensitive collator's own sort keys of printable ASCII texts, written without it.
// Where every such character has one collation element with the common secondary weight,
// a key is the characters' primary weights, their lead bytes compressed as the collator does,
// then the level separator and the secondaries, which depend on the length alone. The model is
// checked against the collator's keys of every one- and two-character text (the compression
// carries nothing further than one character back); where it differs, or the settings could
// make it differ, it stays unused.
class AsciiSortKeys {
 public:
  explicit AsciiSortKeys(const icu::Collator& collator) : collator_(collator) {
    usable_ = settingsAllow() && learnCharacters() && matchesPairs();
  }

  // The key, or none where the model does not apply.
  std::optional<std::string> key(std::string_view text) {
    if (!usable_ || text.empty() || text.size() > longest || !isPrintableAscii(text)) {
      return std::nullopt;
    }
    std::string key = primaries(text);
    key += secondaries(text.size());
    return key;
  }

  static std::string collatorKey(const icu::Collator& collator, std::string_view clean);

 private:
  static constexpr std::size_t longest = 256;
  static constexpr char first = 0x20;
  static constexpr char last = 0x7E;
  static constexpr unsigned char lowByte = 0x03;   // a smaller lead byte follows
  static constexpr unsigned char highByte = 0xFF;  // a larger one follows

  struct Weights {
    unsigned char lead = 0;
    std::string rest;
    bool compressible = false;
  };

  static bool isPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= first && c <= last; });
  }

  bool settingsAllow() const {
    UErrorCode status = U_ZERO_ERROR;
    const bool allow =
        collator_.getAttribute(UCOL_ALTERNATE_HANDLING, status) == UCOL_NON_IGNORABLE &&
        collator_.getAttribute(UCOL_CASE_LEVEL, status) == UCOL_OFF &&
        collator_.getAttribute(UCOL_NUMERIC_COLLATION, status) == UCOL_OFF &&
        collator_.getAttribute(UCOL_STRENGTH, status) == UCOL_SECONDARY;
    return allow && U_SUCCESS(status);
  }

  // Each character's primary weight from its own key, and whether a second one of the same
  // lead byte drops it (compressible).
  bool learnCharacters() {
    for (char c = first; c <= last; ++c) {
      const std::string one = collatorKey(collator_, std::string(1, c));
      const std::size_t separator = one.find('\x01');
      if (separator == 0 || separator == std::string::npos) return false;
      if (one.substr(separator) != secondaries(1)) return false;
      Weights& weights = weights_[static_cast<unsigned char>(c)];
      weights.lead = static_cast<unsigned char>(one[0]);
      weights.rest = one.substr(1, separator - 1);
      const std::string two = collatorKey(collator_, std::string(2, c));
      weights.compressible = two.find('\x01') == 1 + 2 * weights.rest.size();
    }
    return true;
  }

  bool matchesPairs() {
    for (char a = first; a <= last; ++a) {
      for (char b = first; b <= last; ++b) {
        const char pair[] = {a, b};
        const std::string_view text(pair, 2);
        if (primaries(text) + secondaries(2) != collatorKey(collator_, text)) return false;
      }
    }
    return true;
  }

  std::string primaries(std::string_view text) const {
    std::string key;
    key.reserve(text.size() * 3);
    unsigned char open = 0;  // the lead byte of the compressible run being written
    for (const char c : text) {
      const Weights& weights = weights_[static_cast<unsigned char>(c)];
      if (!weights.compressible || weights.lead != open) {
        if (open != 0) key += static_cast<char>(weights.lead < open ? lowByte : highByte);
        key += static_cast<char>(weights.lead);
        open = weights.compressible ? weights.lead : 0;
      }
      key += weights.rest;
    }
    return key;
  }

  // The level separator and what follows it for `length` characters, taken from the collator.
  const std::string& secondaries(std::size_t length) {
    if (secondaries_.size() <= length) secondaries_.resize(length + 1);
    std::string& tail = secondaries_[length];
    if (tail.empty()) {
      const std::string key = collatorKey(collator_, std::string(length, 'a'));
      const std::size_t separator = key.find('\x01');
      tail = separator == std::string::npos ? std::string(1, '\x01') : key.substr(separator);
    }
    return tail;
  }

  const icu::Collator& collator_;
  std::array<Weights, 0x80> weights_{};
  std::vector<std::string> secondaries_;
  bool usable_ = false;
};

std::string AsciiSortKeys::collatorKey(const icu::Collator& collator, std::string_view clean) {
  const icu::UnicodeString unicode = foundation_internal::toUnicode(clean);
  std::string key(32 + 3 * static_cast<std::size_t>(unicode.length()), '\0');
  const auto write = [&] {
    return collator.getSortKey(unicode, reinterpret_cast<std::uint8_t*>(key.data()),
                               static_cast<std::int32_t>(key.size()));
  };
  auto length = write();
  if (length > static_cast<std::int32_t>(key.size())) {
    key.resize(static_cast<std::size_t>(length));
    length = write();
  }
  // The key ends in a zero byte that orders nothing; it is dropped.
  key.resize(length > 0 ? std::min(static_cast<std::size_t>(length) - 1, key.size()) : 0);
  return key;
}

// Collators are costly to open, so each thread keeps the pair for the locale it last used.
struct Collators {
  std::string identifier;
  std::unique_ptr<icu::Collator> caseSensitive;
  std::unique_ptr<icu::Collator> caseInsensitive;
  std::unique_ptr<AsciiSortKeys> asciiKeys;  // made on first use
};

std::unique_ptr<icu::Collator> openCollator(const icu::Locale& locale,
                                            icu::Collator::ECollationStrength strength) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
  if (U_FAILURE(status) || !collator) {
    status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
  }
  if (collator) {
    collator->setStrength(strength);
    // Canonically equivalent texts compare equal even when their marks come in another order.
    status = U_ZERO_ERROR;
    collator->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
  }
  return collator;
}

Collators& collatorsForCurrentLocale() {
  thread_local Collators collators;
  const Locale locale = Locale::current();
  if (!collators.caseSensitive || collators.identifier != locale.identifier()) {
    const icu::Locale icuLocale = foundation_internal::toIcu(locale);
    collators.caseSensitive = openCollator(icuLocale, icu::Collator::TERTIARY);
    collators.caseInsensitive = openCollator(icuLocale, icu::Collator::SECONDARY);
    collators.asciiKeys.reset();
    collators.identifier = locale.identifier();
  }
  return collators;
}

std::weak_ordering compareWith(const icu::Collator* collator, std::string_view a,
                               std::string_view b) {
  if (collator == nullptr) return a <=> b;
  std::string storageA;
  std::string storageB;
  const std::string_view cleanA = foundation_internal::wellFormed(a, storageA);
  const std::string_view cleanB = foundation_internal::wellFormed(b, storageB);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result = collator->compareUTF8(foundation_internal::piece(cleanA),
                                                        foundation_internal::piece(cleanB), status);
  if (U_FAILURE(status)) return cleanA <=> cleanB;
  if (result == UCOL_LESS) return std::weak_ordering::less;
  if (result == UCOL_GREATER) return std::weak_ordering::greater;
  return std::weak_ordering::equivalent;
}

}  // namespace

std::weak_ordering localizedCompare(std::string_view a, std::string_view b) {
  return compareWith(collatorsForCurrentLocale().caseSensitive.get(), a, b);
}

std::weak_ordering localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
  return compareWith(collatorsForCurrentLocale().caseInsensitive.get(), a, b);
}

std::string localizedCaseInsensitiveSortKey(std::string_view text) {
  Collators& collators = collatorsForCurrentLocale();
  const icu::Collator* collator = collators.caseInsensitive.get();
  std::string storage;
  const std::string_view clean = foundation_internal::wellFormed(text, storage);
  // Without a collator the comparison falls back to bytes, and so does the key.
  if (collator == nullptr) return std::string(clean);
  if (!collators.asciiKeys) collators.asciiKeys = std::make_unique<AsciiSortKeys>(*collator);
  if (auto key = collators.asciiKeys->key(clean)) return std::move(*key);
  return AsciiSortKeys::collatorKey(*collator, clean);
}

void localizedCaseInsensitiveSortKeyPrefix(std::string_view text, std::span<std::uint8_t> into) {
  std::fill(into.begin(), into.end(), std::uint8_t{0});
  const icu::Collator* collator = collatorsForCurrentLocale().caseInsensitive.get();
  std::string storage;
  const std::string_view clean = foundation_internal::wellFormed(text, storage);
  if (collator != nullptr) {
    // The collator writes a key part by part from an iterator over the UTF-8 itself, and
    // stops reading the text once the part is full.
    UCharIterator iterator;
    uiter_setUTF8(&iterator, clean.data(), foundation_internal::piece(clean).length());
    std::uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    const auto size = static_cast<std::int32_t>(std::min<std::size_t>(into.size(), INT32_MAX));
    ucol_nextSortKeyPart(collator->toUCollator(), &iterator, state, into.data(), size, &status);
    if (U_SUCCESS(status)) return;
    std::fill(into.begin(), into.end(), std::uint8_t{0});
  }
  // As the comparison does without a collator: bytes.
  std::memcpy(into.data(), clean.data(), std::min(clean.size(), into.size()));
}

}  // namespace kelvo::text
