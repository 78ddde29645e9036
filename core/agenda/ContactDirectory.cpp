#include "core/agenda/ContactDirectory.hpp"

#include <algorithm>
#include <numeric>

#include "core/agenda/internal/CountDifference.hpp"
#include "platform/foundation/ContainmentQuery.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

std::string asciiDigits(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

bool anyValueHolds(const std::vector<ContactSnapshot::LabeledValue>& values,
                   const text::ContainmentQuery& query) {
  return std::any_of(values.begin(), values.end(),
                     [&](const auto& entry) { return query.isFoundIn(entry.value); });
}

bool matches(const ContactSnapshot& contact, const text::ContainmentQuery& query,
             std::string_view digits) {
  if (query.isFoundIn(contact.displayName()) || query.isFoundIn(contact.organizationName) ||
      query.isFoundIn(contact.jobTitle) || query.isFoundIn(contact.nickname)) {
    return true;
  }
  if (anyValueHolds(contact.emailAddresses, query) ||
      anyValueHolds(contact.postalAddresses, query)) {
    return true;
  }
  if (digits.empty()) return false;
  return std::any_of(contact.phoneNumbers.begin(), contact.phoneNumbers.end(),
                     [&](const auto& phone) {
                       return asciiDigits(phone.value).find(digits) != std::string::npos;
                     });
}

}  // namespace

std::vector<ContactSnapshot> ContactDirectory::sorted(std::span<const ContactSnapshot> contacts) {
  std::vector<std::string> names;
  names.reserve(contacts.size());
  for (const ContactSnapshot& contact : contacts) names.push_back(contact.displayName());
  std::vector<std::size_t> order(contacts.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const auto byName = text::localizedCaseInsensitiveCompare(names[a], names[b]);
    if (byName != 0) return byName < 0;
    return text::nfc(contacts[a].id) < text::nfc(contacts[b].id);
  });
  std::vector<ContactSnapshot> result;
  result.reserve(contacts.size());
  for (const std::size_t index : order) result.push_back(contacts[index]);
  return result;
}

std::vector<ContactSnapshot> ContactDirectory::matching(std::string_view query,
                                                        std::span<const ContactSnapshot> contacts) {
  const std::string trimmed = text::trimmed(query);
  if (trimmed.empty()) return {contacts.begin(), contacts.end()};
  const text::ContainmentQuery containment(trimmed);
  const std::string digits = asciiDigits(trimmed);
  std::vector<ContactSnapshot> result;
  for (const ContactSnapshot& contact : contacts) {
    if (matches(contact, containment, digits)) result.push_back(contact);
  }
  return result;
}

std::optional<std::string> ContactDirectory::truncationNotice(std::int64_t shown,
                                                              std::int64_t total) {
  if (shown >= total) return std::nullopt;
  const std::string hidden = agenda_internal::differenceText(total, shown);
  if (hidden == "1") return "One more contact isn't shown. Search to narrow the list.";
  return hidden + " more contacts aren't shown. Search to narrow the list.";
}

std::string ContactDirectory::emptyExplanation() {
  return localized(
      "    There are no contacts on this device yet. When there are, they will be     here, and "
      "you can keep any field on one as a Fact.");
}

std::string ContactDirectory::noMatchesExplanation(std::string_view query) {
  return localized(
      "    No contact matches “%@”. Kelvo searches names, companies, job     titles, email "
      "addresses and phone numbers.",
      text::trimmed(query));
}

}  // namespace kelvo
