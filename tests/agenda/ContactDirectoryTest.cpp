#include "core/agenda/ContactDirectory.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/agenda/ContactKeepSummary.hpp"

namespace kelvo {
namespace {

std::vector<std::string> ids(const std::vector<ContactSnapshot>& contacts) {
  std::vector<std::string> result;
  for (const auto& contact : contacts) result.push_back(contact.id);
  return result;
}

const std::vector<ContactSnapshot>& people() {
  static const std::vector<ContactSnapshot> contacts{
      {.id = "zoe", .formattedName = "Zoë Park", .jobTitle = "Editor"},
      {.id = "b2", .formattedName = "bob stone"},
      {.id = "harbour", .organizationName = "Blue Harbour",
       .urlAddresses = {{"u", {}, "https://zeta.example"}}},
      {.id = "phone", .phoneNumbers = {{"p", "work", "(555) 0100"}}},
      {.id = "b1", .formattedName = "Bob Stone",
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
      {"édit", {"zoe"}},
      {"Blue Harbour", {"harbour"}},
      {"Harbour Blue", {}},
      {"zeta", {}},
      {"01", {"phone"}},
      {"555-01", {"phone"}},
      {"Room 5", {"phone"}},
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
  EXPECT_EQ(D::truncationNotice(10, 13), "3 more contacts aren't shown. Search to narrow the list.");
  EXPECT_EQ(D::truncationNotice(5'000, 5'001),
            "One more contact isn't shown. Search to narrow the list.");
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
      {"name", FactKind::custom, "Name", "Ann"},
      {"p1", FactKind::phone, "Work phone", "1"},
      {"p2", FactKind::phone, "Home phone", "2"},
      {"u1", FactKind::custom, "Homepage", "a"},
      {"u2", FactKind::custom, "Homepage", "b"},
      {"u3", FactKind::custom, "Blog", "c"},
      {"c1", FactKind::custom, "Label", "x"},
      {"c2", FactKind::custom, "label", "y"},
  };
  EXPECT_EQ(ContactKeepSummary::defaultSelection(facts),
            (std::set<std::string>{"name", "p1", "u1", "u3", "c1", "c2"}));
  EXPECT_EQ(ContactKeepSummary::buttonTitle(0), "Keep nothing selected");
  EXPECT_EQ(ContactKeepSummary::buttonTitle(1), "Keep 1 Fact");
  EXPECT_EQ(ContactKeepSummary::buttonTitle(2), "Keep 2 Facts");
  EXPECT_EQ(ContactKeepSummary::buttonTitle(-1), "Keep -1 Facts");
  EXPECT_EQ(ContactKeepSummary::sentence(0, 0), std::nullopt);
  EXPECT_EQ(ContactKeepSummary::sentence(-3, -1), std::nullopt);
  EXPECT_EQ(ContactKeepSummary::sentence(2, 0), "Kept 2 Facts.");
  EXPECT_EQ(ContactKeepSummary::sentence(0, 1), "1 was already in Kelvo.");
  EXPECT_EQ(ContactKeepSummary::sentence(1, 3), "Kept 1 Fact, 3 were already in Kelvo.");
}

}  // namespace
}  // namespace kelvo
