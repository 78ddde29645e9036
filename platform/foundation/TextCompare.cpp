#include "platform/foundation/TextCompare.hpp"

#include <unicode/coll.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo::text {
namespace {

// Collators are costly to open, so each thread keeps the pair for the locale it last used.
struct Collators {
  std::string identifier;
  std::unique_ptr<icu::Collator> caseSensitive;
  std::unique_ptr<icu::Collator> caseInsensitive;
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

const Collators& collatorsForCurrentLocale() {
  thread_local Collators collators;
  const Locale locale = Locale::current();
  if (!collators.caseSensitive || collators.identifier != locale.identifier()) {
    const icu::Locale icuLocale = icu_support::toIcu(locale);
    collators.caseSensitive = openCollator(icuLocale, icu::Collator::TERTIARY);
    collators.caseInsensitive = openCollator(icuLocale, icu::Collator::SECONDARY);
    collators.identifier = locale.identifier();
  }
  return collators;
}

std::weak_ordering compareWith(const icu::Collator* collator, std::string_view a,
                               std::string_view b) {
  if (collator == nullptr) return a <=> b;
  std::string storageA;
  std::string storageB;
  const std::string_view cleanA = icu_support::wellFormed(a, storageA);
  const std::string_view cleanB = icu_support::wellFormed(b, storageB);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      collator->compareUTF8(icu_support::piece(cleanA), icu_support::piece(cleanB), status);
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
  const icu::Collator* collator = collatorsForCurrentLocale().caseInsensitive.get();
  std::string storage;
  const std::string_view clean = icu_support::wellFormed(text, storage);
  // Without a collator the comparison falls back to bytes, and so does the key.
  if (collator == nullptr) return std::string(clean);
  const icu::UnicodeString unicode = icu_support::toUnicode(clean);
  std::string key(32 + 3 * static_cast<std::size_t>(unicode.length()), '\0');
  const auto write = [&] {
    return collator->getSortKey(unicode, reinterpret_cast<std::uint8_t*>(key.data()),
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

}  // namespace kelvo::text
