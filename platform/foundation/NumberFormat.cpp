#include "platform/foundation/NumberFormat.hpp"

#include <unicode/numberformatter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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
        icu::number::NumberFormatter::withLocale(foundation_internal::toIcu(locale))
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
  if (U_SUCCESS(status)) text = foundation_internal::toUtf8(result.toString(status));
  // A locale ICU cannot serve still gets the plain digits.
  if (U_FAILURE(status) || text.empty()) text = std::to_string(value);
  return text;
}

std::string formatInteger(std::int64_t value, IntegerStyle style) {
  return formatInteger(value, Locale::current(), style);
}

std::string describing(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  std::array<char, 64> buffer{};
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude <= 9007199254740992.0);
  const auto format = plain ? std::chars_format::fixed : std::chars_format::scientific;
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
  std::string text(buffer.data(), result.ptr);
  if (plain && text.find('.') == std::string::npos) text += ".0";
  return text;
}

}  // namespace kelvo
