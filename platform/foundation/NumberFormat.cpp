#include "platform/foundation/NumberFormat.hpp"

#include <unicode/numberformatter.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo {
namespace {

using icu::number::LocalizedNumberFormatter;

// Formatters are costly to build and immutable once built; each thread keeps those it used.
const LocalizedNumberFormatter& formatterFor(const Locale& locale, IntegerStyle style) {
  using Key = std::tuple<std::string, bool, int>;
  thread_local std::map<Key, LocalizedNumberFormatter> formatters;
  Key key{locale.identifier(), style.grouping, style.minimumIntegerDigits};
  auto found = formatters.find(key);
  if (found == formatters.end()) {
    auto formatter =
        icu::number::NumberFormatter::withLocale(icu_support::toIcu(locale))
            .grouping(style.grouping ? UNUM_GROUPING_AUTO : UNUM_GROUPING_OFF)
            .integerWidth(icu::number::IntegerWidth::zeroFillTo(style.minimumIntegerDigits));
    found = formatters.emplace(std::move(key), std::move(formatter)).first;
  }
  return found->second;
}

}  // namespace

std::string formatInteger(std::int64_t value, const Locale& locale, IntegerStyle style) {
  style.minimumIntegerDigits = std::clamp(style.minimumIntegerDigits, 1, 40);
  UErrorCode status = U_ZERO_ERROR;
  const auto result = formatterFor(locale, style).formatInt(value, status);
  std::string text;
  if (U_SUCCESS(status)) text = icu_support::toUtf8(result.toString(status));
  // A locale ICU cannot serve still gets the plain digits.
  if (U_FAILURE(status) || text.empty()) text = std::to_string(value);
  return text;
}

std::string formatInteger(std::int64_t value, IntegerStyle style) {
  return formatInteger(value, Locale::current(), style);
}

}  // namespace kelvo
