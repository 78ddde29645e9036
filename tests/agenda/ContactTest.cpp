#include "core/agenda/ContactSnapshot.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/agenda/ContactDirectory.hpp"
#include "core/agenda/ContactKeepSummary.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"

namespace kelvo {
namespace {

using Value = ContactSnapshot::LabeledValue;

std::vector<std::string> ids(const std::vector<ContactFact>& facts) {
  std::vector<std::string> result;
  for (const auto& fact : facts) result.push_back(fact.id);
  return result;
}

std::vector<std::string> ids(const std::vector<ContactSnapshot>& contacts) {
  std::vector<std::string> result;
  for (const auto& contact : contacts) result.push_back(contact.id);
  return result;
}

TEST(ContactSnapshotTest, DisplayNamesAndSubtitles) {
  struct Case {
    ContactSnapshot contact;
    std::string name;
    bool hasName;
  };
  const std::vector<Case> cases{
      {{.id = "a", .formattedName = " Ann Lee ", .nickname = "Annie"}, "Ann Lee", true},
      {{.id = "b", .formattedName = "  ", .nickname = "Annie"}, "Annie", true},
      {{.id = "c", .organizationName = "Blue Harbour"}, "Blue Harbour", true},
      {{.id = "d",
        .phoneNumbers = {{"p", "mobile", " 555 0100 "}},
        .emailAddresses = {{"e", {}, "a@b.example"}}},
       "555 0100",
       false},
      {{.id = "e", .emailAddresses = {{"e", {}, "a@b.example"}}}, "a@b.example", false},
      {{.id = "f", .phoneNumbers = {{"p", {}, "  "}}, .emailAddresses = {{"e", {}, "a@b.example"}}},
       "Unnamed contact",
       false},
      {{.id = "g"}, "Unnamed contact", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.contact.displayName(), c.name) << c.contact.id;
    EXPECT_EQ(c.contact.hasName(), c.hasName) << c.contact.id;
  }
  EXPECT_EQ(cases[4].contact.accessibilityLabel(), "Contact with no name, 1 field to keep");

  const ContactSnapshot same{.id = "s",
                             .formattedName = "Blue Harbour",
                             .organizationName = "Blue Harbour",
                             .jobTitle = " Owner "};
  EXPECT_EQ(same.subtitle(), "Owner");
  const ContactSnapshot cased{.id = "s",
                              .formattedName = "Blue Harbour",
                              .organizationName = "BLUE HARBOUR",
                              .jobTitle = "Owner"};
  EXPECT_EQ(cased.subtitle(), "BLUE HARBOUR · Owner");
  EXPECT_EQ(ids(cased.facts()), (std::vector<std::string>{"s-name", "s-title"}));
}

TEST(ContactSnapshotTest, FactLabels) {
  using K = FactKind;
  const std::string sixty(60, 'x');
  // Twenty "a" CR LF runs: 40 characters that grow to 60 once each line feed is a space.
  std::string crlf;
  std::string cut;
  for (int i = 0; i < 20; ++i) crlf += "a\r\n";
  for (int i = 0; i < 13; ++i) cut += "a\r ";
  cut += "a";
  struct Case {
    std::optional<std::string> raw;
    std::optional<FactKind> kind;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases{
      {"work", K::phone, "Work phone"},
      {"Home Fax", K::phone, "Home Fax"},
      {"iPad", K::phone, "iPad phone"},
      {std::nullopt, K::phone, "Phone"},
      {" \n", K::address, "Address"},
      {"home\nwork", K::email, "Home work email"},
      {crlf, std::nullopt, "A\r " + cut.substr(3)},
      {sixty, K::phone, "X" + std::string(33, 'x') + " phone"},
      {sixty, K::custom, "X" + std::string(39, 'x')},
      {"éclair", std::nullopt, "Éclair"},
      {"ǆemal", std::nullopt, "Ǆemal"},
      {"", std::nullopt, std::nullopt},
      {"", K::iban, "IBAN"},
  };
  for (const Case& c : cases) {
    const auto label = ContactSnapshot::factLabel(c.raw, c.kind);
    EXPECT_EQ(label, c.expected) << c.raw.value_or("<none>");
    EXPECT_LE(text::characterCount(label.value_or("")), 40u);
  }
}

TEST(ContactSnapshotTest, FactsInOrderWithoutRepeats) {
  const ContactSnapshot contact{
      .id = "C",
      .formattedName = "Ann Lee",
      .organizationName = "ann lee",
      .jobTitle = "Pilot",
      .phoneNumbers = {{"p1", "work", "555 0100"}, {"p2", {}, " "}, {"p3", "home", "5550100"}},
      .emailAddresses = {{"e1", {}, "Ann@Example.com"}, {"e2", "work", "ann@example.com"}},
      .postalAddresses = {{"a1", "home", "1 Main St\nSpringfield\nUSA"}},
      .urlAddresses = {{"u1", {}, "https://ann.example"}},
  };
  const auto facts = contact.facts();
  EXPECT_EQ(ids(facts), (std::vector<std::string>{"C-name", "C-title", "C-email-e1", "C-phone-p1",
                                                  "C-phone-p3", "C-address-a1", "C-url-u1"}));
  EXPECT_EQ(facts[2], (ContactFact{"C-email-e1", FactKind::email, "Email", "Ann@Example.com"}));
  EXPECT_EQ(facts[1].cardTitle("Ann Lee"), "Job title — Ann Lee");

  ContactSnapshot big{.id = "B", .formattedName = "Big"};
  big.emailAddresses.push_back({"long", {}, std::string(25'000, 'v')});
  for (int i = 0; i < 24; ++i) {
    big.phoneNumbers.push_back({std::to_string(i), {}, "555 01" + std::to_string(10 + i)});
  }
  ASSERT_EQ(big.facts().size(), 26u);
  EXPECT_EQ(big.facts()[1].value.size(), 20'000u);
  EXPECT_EQ(big.displayedFacts().size(), 24u);
  EXPECT_EQ(big.factsTruncationNotice(),
            "    This contact has 26 fields Kelvo can keep. The first 24     are shown; open it in "
            "Contacts to reach the rest.");
  const ContactSnapshot named{.id = "n", .formattedName = "N"};
  EXPECT_EQ(named.factsTruncationNotice(), std::nullopt);
}

// Texts that are canonically equivalent are the same value; the first spelling is kept.
TEST(ContactSnapshotTest, EquivalentSpellingsAreOneValue) {
  const ContactSnapshot mails{.id = "m",
                              .emailAddresses = {{"1", {}, "zo\u00EB@example.com"},
                                                 {"2", {}, "ZOE\u0308@example.com"},
                                                 {"3", {}, "zoe@example.com"}}};
  EXPECT_EQ(ids(mails.facts()), (std::vector<std::string>{"m-email-1", "m-email-3"}));
  const ContactSnapshot company{
      .id = "c", .formattedName = "Zo\u00EB", .organizationName = "Zoe\u0308", .jobTitle = "Owner"};
  EXPECT_EQ(company.subtitle(), "Owner");
  EXPECT_EQ(ids(company.facts()), (std::vector<std::string>{"c-name", "c-title"}));
  const std::vector<ContactFact> labelled{{"1", FactKind::custom, "Zo\u00EB", "a"},
                                          {"2", FactKind::custom, "Zoe\u0308", "b"},
                                          {"3", FactKind::custom, "ZO\u00CB", "c"}};
  EXPECT_EQ(ContactKeepSummary::defaultSelection(labelled), (std::set<std::string>{"1", "3"}));

  // Against the plain rules, with equality as canonical equivalence.
  std::mt19937 random(9104);
  const auto same = [](const std::string& a, const std::string& b) {
    return text::canonicallyEqual(a, b);
  };
  for (int round = 0; round < 1000; ++round) {
    ContactSnapshot contact{.id = "r",
                            .formattedName = testing::spelling(random),
                            .organizationName = testing::spelling(random)};
    std::vector<std::string> keptMails, expectedIDs, labels, expectedSelection;
    std::vector<ContactFact> facts;
    for (int i = 0; i < 5; ++i) {
      const std::string value = testing::spelling(random), key = std::to_string(i);
      contact.emailAddresses.push_back({key, {}, value + "@x"});
      const std::string lowered = text::lowercased(text::trimmed(value + "@x"));
      if (std::none_of(keptMails.begin(), keptMails.end(),
                       [&](const std::string& kept) { return same(kept, lowered); })) {
        keptMails.push_back(lowered);
        expectedIDs.push_back("r-email-" + key);
      }
      facts.push_back({key, FactKind::custom, testing::spelling(random), "v"});
      if (std::none_of(labels.begin(), labels.end(),
                       [&](const std::string& kept) { return same(kept, facts.back().label); })) {
        labels.push_back(facts.back().label);
        expectedSelection.push_back(key);
      }
    }
    std::vector<std::string> mailIDs;
    for (const ContactFact& fact : contact.facts()) {
      if (fact.kind == FactKind::email) mailIDs.push_back(fact.id);
    }
    EXPECT_EQ(mailIDs, expectedIDs);
    const std::string organization = text::trimmed(contact.organizationName);
    const bool shown = !organization.empty() && !same(organization, contact.displayName());
    EXPECT_EQ(contact.subtitle().has_value(), shown) << contact.organizationName;
    EXPECT_EQ(ContactKeepSummary::defaultSelection(facts),
              std::set<std::string>(expectedSelection.begin(), expectedSelection.end()));
  }
}

// Every kind of fact and the subtitle against their plain rules, equality being canonical
// equivalence, on values that are often another spelling of the name or of each other.
TEST(ContactSnapshotTest, FactsAndSubtitleAgreeWithCanonicalEquality) {
  std::mt19937 random(9105);
  const auto pick = [&](const std::pair<std::string, std::string>& pair) {
    return random() % 2 ? pair.first : pair.second;
  };
  for (int round = 0; round < 1500; ++round) {
    const auto name = testing::respelled(random), other = testing::respelled(random);
    ContactSnapshot contact{.id = "r",
                            .formattedName = random() % 4 ? name.first : "",
                            .organizationName = pick(random() % 3 ? name : other),
                            .jobTitle = pick(random() % 3 ? name : other)};
    for (int i = 0; i < 6; ++i) {
      auto& list = i % 3 == 0   ? contact.emailAddresses
                   : i % 3 == 1 ? contact.phoneNumbers
                                : contact.urlAddresses;
      list.push_back({std::to_string(i), {}, pick(random() % 2 ? name : other)});
    }
    // Facts: the first of each kind and lower-cased value.
    struct Kept {
      FactKind kind;
      std::string lowered;
    };
    std::vector<Kept> kept;
    std::vector<std::string> expected;
    const auto add = [&](const std::string& id, FactKind kind, const std::string& value) {
      const std::string lowered = text::lowercased(text::trimmed(value));
      if (lowered.empty() || std::any_of(kept.begin(), kept.end(), [&](const Kept& k) {
            return k.kind == kind && text::canonicallyEqual(k.lowered, lowered);
          })) {
        return;
      }
      kept.push_back({kind, lowered});
      expected.push_back(id);
    };
    if (contact.hasName()) add("r-name", FactKind::custom, contact.displayName());
    add("r-company", FactKind::custom, contact.organizationName);
    add("r-title", FactKind::custom, contact.jobTitle);
    for (const auto& [list, kind, word] :
         {std::tuple(&contact.emailAddresses, FactKind::email, "-email-"),
          std::tuple(&contact.phoneNumbers, FactKind::phone, "-phone-"),
          std::tuple(&contact.urlAddresses, FactKind::custom, "-url-")}) {
      for (const Value& entry : *list) add("r" + std::string(word) + entry.id, kind, entry.value);
    }
    EXPECT_EQ(ids(contact.facts()), expected) << contact.organizationName;
    // Subtitle: company and job title, each unless empty or the display name (case counts).
    std::vector<std::string> parts;
    for (const std::string& field : {contact.organizationName, contact.jobTitle}) {
      const std::string part = text::trimmed(field);
      if (!part.empty() && !text::canonicallyEqual(part, contact.displayName())) {
        parts.push_back(part);
      }
    }
    EXPECT_EQ(contact.subtitle(),
              parts.empty() ? std::nullopt : std::optional(text::joined(parts, " · ")))
        << contact.organizationName;
  }
}

TEST(ContactSnapshotTest, SummaryPayload) {
  const ContactSnapshot contact{
      .id = "C",
      .formattedName = "Ann Lee",
      .jobTitle = "Pilot",
      .phoneNumbers = {{"p1", "mobile", "555 0100"}, {"p2", "home", " "}},
      .emailAddresses = {{"e1", {}, "ann@example.com"}},
      .postalAddresses = {{"a1", "home", "1 Main St\nSpringfield\nUSA"}},
      .urlAddresses = {{"u1", {}, "https://ann.example"}},
  };
  EXPECT_EQ(contact.summaryPayload(),
            "Pilot\n\nPhone\nMobile: 555 0100\n\nEmail\nEmail: ann@example.com\n\nAddress\n"
            "Home address: 1 Main St\n    Springfield\n    USA\n\nWeb\nWeb: https://ann.example");
  const ContactSnapshot named{.id = "n", .formattedName = "N"};
  EXPECT_EQ(named.summaryPayload(), "");

  // "Phone\nWork phone: " is 18 characters; the value fills the summary to the limit.
  const auto sized = [](std::size_t characters) {
    return ContactSnapshot{.id = "s",
                           .phoneNumbers = {{"p", "work", std::string(characters - 18, '5')}}};
  };
  EXPECT_EQ(text::characterCount(sized(19'800).summaryPayload()), 19'800u);
  const std::string cut = sized(19'801).summaryPayload();
  EXPECT_EQ(cut.substr(0, 19'800), sized(19'800).summaryPayload());
  EXPECT_EQ(cut.substr(19'800),
            "\n\n[This contact had more fields than a card can hold, so they stop here.]");
}

const std::vector<ContactSnapshot>& people() {
  static const std::vector<ContactSnapshot> contacts{
      {.id = "zoe", .formattedName = "Zoë Park", .jobTitle = "Editor"},
      {.id = "b2", .formattedName = "bob stone"},
      {.id = "harbour",
       .organizationName = "Blue Harbour",
       .urlAddresses = {{"u", {}, "https://zeta.example"}}},
      {.id = "phone", .phoneNumbers = {{"p", "work", "(555) 0100"}}},
      {.id = "b1",
       .formattedName = "Bob Stone",
       .emailAddresses = {{"e", {}, "bob@stone.example"}},
       .postalAddresses = {{"a", {}, "3 Quay Road\nPortsmouth"}}},
      {.id = "nobody"},
  };
  return contacts;
}

TEST(ContactDirectoryTest, OrderAndSearch) {
  EXPECT_EQ(ids(ContactDirectory::sorted(people())),
            (std::vector<std::string>{"phone", "harbour", "b1", "b2", "nobody", "zoe"}));
  struct Case {
    std::string query;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases{
      {" \n ", {"zoe", "b2", "harbour", "phone", "b1", "nobody"}},
      {"ZOE", {"zoe"}},
      {"Blue Harbour", {"harbour"}},
      {"Harbour Blue", {}},
      {"zeta", {}},
      {"01", {"phone"}},
      {"portsmouth", {"b1"}},
      {"STONE.example", {"b1"}},
      {"unnamed", {"nobody"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ids(ContactDirectory::matching(c.query, people())), c.expected) << c.query;
  }
}

TEST(ContactDirectoryTest, Texts) {
  using D = ContactDirectory;
  EXPECT_EQ(D::truncationNotice(5'000, 5'000), std::nullopt);
  EXPECT_EQ(D::truncationNotice(10, 13),
            "3 more contacts aren't shown. Search to narrow the list.");
  EXPECT_EQ(D::truncationNotice(-1, std::numeric_limits<std::int64_t>::max()),
            "9223372036854775808 more contacts aren't shown. Search to narrow the list.");
  EXPECT_EQ(D::emptyExplanation(),
            "    There are no contacts on this device yet. When there are, they will be     here, "
            "and you can keep any field on one as a Fact.");
  EXPECT_EQ(D::noMatchesExplanation("  Zed \n"),
            "    No contact matches “Zed”. Kelvo searches names, companies, job     titles, email "
            "addresses and phone numbers.");
}

TEST(ContactKeepSummaryTest, SelectionButtonAndSentence) {
  const std::vector<ContactFact> facts{
      {"name", FactKind::custom, "Name", "Ann"},  {"p1", FactKind::phone, "Work phone", "1"},
      {"p2", FactKind::phone, "Home phone", "2"}, {"u1", FactKind::custom, "Homepage", "a"},
      {"u2", FactKind::custom, "Homepage", "b"},  {"u3", FactKind::custom, "Blog", "c"},
      {"c1", FactKind::custom, "Label", "x"},     {"c2", FactKind::custom, "label", "y"},
  };
  EXPECT_EQ(ContactKeepSummary::defaultSelection(facts),
            (std::set<std::string>{"name", "p1", "u1", "u3", "c1", "c2"}));
  EXPECT_EQ(ContactKeepSummary::buttonTitle(2), "Keep 2 Facts");
  EXPECT_EQ(ContactKeepSummary::buttonTitle(-1), "Keep -1 Facts");
  EXPECT_EQ(ContactKeepSummary::sentence(0, 0), std::nullopt);
  EXPECT_EQ(ContactKeepSummary::sentence(2, 0), "Kept 2 Facts.");
  EXPECT_EQ(ContactKeepSummary::sentence(0, 1), "1 was already in Kelvo.");
  EXPECT_EQ(ContactKeepSummary::sentence(1, 3), "Kept 1 Fact, 3 were already in Kelvo.");
}

}  // namespace
}  // namespace kelvo
