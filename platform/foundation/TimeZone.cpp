#include "platform/foundation/TimeZone.hpp"

#include <unicode/timezone.h>

#include <cstdlib>
#include <memory>

#include "platform/foundation/ProcessSetting.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo {
namespace {

ProcessSetting<TimeZone>& currentSetting() {
  static ProcessSetting<TimeZone> setting;
  return setting;
}

}  // namespace

std::optional<TimeZone> TimeZone::named(std::string_view identifier) {
  if (identifier.empty()) return std::nullopt;
  std::unique_ptr<icu::TimeZone> zone(
      icu::TimeZone::createTimeZone(foundation_internal::toUnicode(identifier)));
  icu::UnicodeString resolved;
  zone->getID(resolved);
  // ICU answers an unknown identifier with "Etc/Unknown" rather than failing.
  icu::UnicodeString unknown;
  if (resolved == icu::TimeZone::getUnknown().getID(unknown)) return std::nullopt;
  return TimeZone(std::string(identifier));
}

TimeZone TimeZone::utc() { return TimeZone("UTC"); }

TimeZone TimeZone::current() {
  return currentSetting().get([] {
    const char* tz = std::getenv("TZ");
    std::string_view name = tz != nullptr ? tz : "";
    if (!name.empty() && name.front() == ':') name.remove_prefix(1);
    return named(name).value_or(utc());
  });
}

void TimeZone::setCurrent(const TimeZone& zone) { currentSetting().set(zone); }

std::string TimeZone::localizedGenericName(const Locale& locale) const {
  std::unique_ptr<icu::TimeZone> zone(
      icu::TimeZone::createTimeZone(foundation_internal::toUnicode(identifier_)));
  icu::UnicodeString name;
  zone->getDisplayName(false, icu::TimeZone::LONG_GENERIC, foundation_internal::toIcu(locale),
                       name);
  if (name.isBogus() || name.isEmpty()) return identifier_;
  return foundation_internal::toUtf8(name);
}

int TimeZone::secondsFromGMT(Date date) const {
  std::unique_ptr<icu::TimeZone> zone(
      icu::TimeZone::createTimeZone(foundation_internal::toUnicode(identifier_)));
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone->getOffset(date.timeIntervalSince1970() * 1000.0, false, raw, dst, status);
  if (U_FAILURE(status)) return 0;
  return (raw + dst) / 1000;
}

}  // namespace kelvo
