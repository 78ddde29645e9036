// Splits the input into an event's title, location, notes, calendar title and attendees at 0x1F
// bytes, and checks what the snapshot and its formatter make of them: attendee names are trimmed,
// never empty, in their given order, one for every name given and never two that are the same
// text ignoring case; the card's texts keep their limits and stay valid UTF-8.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/agenda/CalendarEventFormatter.hpp"
#include "core/agenda/CalendarEventSnapshot.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace {

using kelvo::fuzz::require;
namespace text = kelvo::text;

std::vector<std::string> fields(std::string_view input) {
  std::vector<std::string> result;
  for (std::size_t start = 0; start <= input.size() && result.size() < 64;) {
    const std::size_t end = std::min(input.find('\x1f', start), input.size());
    result.push_back(kelvo::repairedUtf8(input.substr(start, end - start)));
    start = end + 1;
  }
  result.resize(std::max<std::size_t>(result.size(), 4));
  return result;
}

bool sameName(std::string_view a, std::string_view b) {
  return text::canonicallyEqual(text::lowercased(a), text::lowercased(b));
}

void checkText(std::string_view value, std::size_t characterLimit) {
  require(kelvo::isValidUtf8(value));
  require(text::characterCount(value) <= characterLimit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 100'000) return 0;
  kelvo::Locale::setCurrent(kelvo::Locale("en_US"));
  std::vector<std::string> parts = fields(kelvo::fuzz::text(data, size));
  const kelvo::Date start(700'000'000.0 + static_cast<double>(size % 97) * 3'600);
  const kelvo::CalendarEventSnapshot event({.id = "E",
                                            .rawTitle = parts[0],
                                            .start = start,
                                            .end = start + static_cast<double>(size % 5) * 43'200,
                                            .isAllDay = size % 2 == 0,
                                            .location = parts[1],
                                            .attendees = {parts.begin() + 4, parts.end()},
                                            .notes = parts[2],
                                            .calendarTitle = parts[3]});

  const std::vector<std::string> named = event.namedAttendees();
  std::size_t next = 0;
  for (const std::string& attendee : event.attendees()) {
    const std::string name = text::trimmed(attendee);
    if (name.empty()) continue;
    const auto same = [&](const std::string& kept) { return sameName(kept, name); };
    require(std::any_of(named.begin(), named.end(), same));
    if (next < named.size() && named[next] == name) ++next;
  }
  require(next == named.size());
  for (std::size_t i = 0; i < named.size(); ++i) {
    require(!named[i].empty() && named[i] == text::trimmed(named[i]));
    for (std::size_t j = 0; j < i; ++j) require(!sameName(named[i], named[j]));
  }
  require(event.attendeeSummary().has_value() == !named.empty());

  static const kelvo::CalendarEventFormatter formatter(
      kelvo::Calendar(kelvo::TimeZone::utc(), kelvo::Locale("en_US")));
  checkText(formatter.cardTitle(event), kelvo::KeptItemLimits::titleLimit);
  checkText(formatter.cardPayload(event, start), kelvo::KeptItemLimits::payloadLimit);
  checkText(formatter.cardPreview(event, start), 1'000'000);
  checkText(formatter.accessibilityLabel(event, start), 1'000'000);
  return 0;
}
