// Splits the input into contact fields at 0x1F bytes and checks the facts, labels and summary
// keep their limits and stay valid UTF-8 whatever the labels and values hold; that no two facts
// share a kind and value; and which facts start out selected.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/agenda/ContactKeepSummary.hpp"
#include "core/agenda/ContactSnapshot.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace {

using kelvo::ContactSnapshot;
using kelvo::fuzz::require;

void checkText(std::string_view text, std::size_t characterLimit) {
  require(kelvo::isValidUtf8(text));
  require(kelvo::text::characterCount(text) <= characterLimit);
}

std::vector<std::string> fields(std::string_view input) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start <= input.size() && result.size() < 64) {
    const std::size_t end = std::min(input.find('\x1f', start), input.size());
    result.push_back(kelvo::repairedUtf8(input.substr(start, end - start)));
    start = end + 1;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 100'000) return 0;
  kelvo::Locale::setCurrent(kelvo::Locale("en_US"));
  const auto parts = fields(kelvo::fuzz::text(data, size));
  ContactSnapshot contact{.id = "C", .formattedName = parts[0]};
  for (std::size_t i = 1; i + 1 < parts.size(); i += 2) {
    ContactSnapshot::LabeledValue entry{std::to_string(i), parts[i], parts[i + 1]};
    auto& list = i % 8 == 1   ? contact.phoneNumbers
                 : i % 8 == 3 ? contact.emailAddresses
                 : i % 8 == 5 ? contact.postalAddresses
                              : contact.urlAddresses;
    list.push_back(entry);
    for (const auto kind : {std::optional<kelvo::FactKind>(), std::optional(kelvo::FactKind::phone),
                            std::optional(kelvo::FactKind::address)}) {
      if (const auto label = ContactSnapshot::factLabel(parts[i], kind)) {
        // Upper-casing may lengthen the first character ("ß" to "SS") by a few.
        checkText(*label, ContactSnapshot::labelLimit + 3);
      }
    }
  }
  const std::vector<kelvo::ContactFact> facts = contact.facts();
  for (std::size_t i = 0; i < facts.size(); ++i) {
    const auto& fact = facts[i];
    checkText(fact.value, kelvo::ContactFact::valueLimit);
    checkText(fact.label, static_cast<std::size_t>(ContactSnapshot::labelLimit) + 3);
    require(!fact.value.empty());
    // One fact for each kind and value, ignoring case and spelling.
    for (std::size_t j = 0; j < i; ++j) {
      require(facts[j].kind != fact.kind ||
              !kelvo::text::canonicallyEqual(kelvo::text::lowercased(facts[j].value),
                                             kelvo::text::lowercased(fact.value)));
    }
  }
  // The first fact of each kind and custom label starts out selected, and no other.
  const std::set<std::string> selected = kelvo::ContactKeepSummary::defaultSelection(facts);
  for (std::size_t i = 0; i < facts.size(); ++i) {
    const auto sameKey = [&](const kelvo::ContactFact& earlier) {
      return earlier.kind == facts[i].kind &&
             (earlier.kind != kelvo::FactKind::custom ||
              kelvo::text::canonicallyEqual(earlier.label, facts[i].label));
    };
    require(selected.contains(facts[i].id) ==
            std::none_of(facts.begin(), facts.begin() + static_cast<std::ptrdiff_t>(i), sameKey));
  }
  const std::string summary = contact.summaryPayload();
  checkText(summary, ContactSnapshot::summaryLimit + 80);
  checkText(contact.accessibilityLabel(), 1'000'000);
  return 0;
}
