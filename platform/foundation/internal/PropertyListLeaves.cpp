#include "platform/foundation/internal/PropertyListLeaves.hpp"

#include <charconv>
#include <optional>

#include "platform/foundation/Base64.hpp"
#include "platform/foundation/PropertyList.hpp"

namespace kelvo::foundation_internal {
namespace {

std::optional<int> digits(std::string_view text, std::size_t offset, std::size_t count) {
  int value = 0;
  for (std::size_t i = offset; i < offset + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
  static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : lengths[month - 1];
}

}  // namespace

void unreadable(const std::string& detail) {
  throw PropertyListError("The property list could not be read: " + detail + ".");
}

std::string_view trimmedXMLSpace(std::string_view text) {
  while (!text.empty() && isXMLSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isXMLSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::int64_t integerValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    unreadable("an <integer> is not a 64-bit whole number");
  }
  return value;
}

double realValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    unreadable("a <real> is not a number");
  }
  return value;
}

// "YYYY-MM-DDTHH:MM:SSZ", the one form property lists write.
Date dateValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  static constexpr std::string_view shape = "0000-00-00T00:00:00Z";
  bool fits = text.size() == shape.size();
  for (std::size_t i = 0; fits && i < shape.size(); ++i) {
    fits = shape[i] == '0' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
  }
  if (!fits) unreadable("a <date> is not an ISO 8601 moment in UTC");
  const int year = *digits(text, 0, 4), month = *digits(text, 5, 2), day = *digits(text, 8, 2);
  const int hour = *digits(text, 11, 2), minute = *digits(text, 14, 2);
  const int second = *digits(text, 17, 2);
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    unreadable("a <date> names no moment");
  }
  const std::int64_t seconds =
      daysFromCivil(year, month, day) * 86'400 + hour * 3'600 + minute * 60 + second;
  return Date::fromUnixTime(static_cast<TimeInterval>(seconds));
}

Bytes dataValue(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (const char c : text) {
    if (!isXMLSpace(c)) compact.push_back(c);
  }
  std::optional<Bytes> bytes = base64Decoded(compact);
  if (!bytes) unreadable("a <data> is not Base64");
  return std::move(*bytes);
}

}  // namespace kelvo::foundation_internal
