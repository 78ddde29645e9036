#include "core/model/FactKind.hpp"

#include <gtest/gtest.h>

#include "core/design/KelvoIcon.hpp"
#include "core/model/CardSyncState.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(FactKindTest, RawValuesAndIcons) {
  const auto cases = allCases<FactKind>();
  ASSERT_EQ(cases.size(), 7u);
  EXPECT_EQ(rawValue(cases.front()), "email");
  EXPECT_EQ(rawValue(FactKind::idNumber), "idNumber");
  EXPECT_EQ(rawValue(cases.back()), "custom");
  EXPECT_EQ(fromRawValue<FactKind>("licenseKey"), FactKind::licenseKey);
  EXPECT_FALSE(fromRawValue<FactKind>("idnumber"));
  // The seven icons stand together in the icon enumeration, in the order of the kinds.
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(icon(cases[i])),
              static_cast<std::size_t>(KelvoIcon::factEmail) + i);
  }
  EXPECT_EQ(icon(FactKind::custom), KelvoIcon::factCustom);
}

TEST(FactKindTest, NamesAreLocalisedExceptIDNumber) {
  EXPECT_EQ(displayName(FactKind::iban), "IBAN");
  EXPECT_EQ(displayName(FactKind::licenseKey), "License key");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");

  testing::GermanCatalogue german({{"Email", "E-Mail"}, {"ID number", "Ausweisnummer"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(displayName(FactKind::email), "E-Mail");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");
}

TEST(CardSyncStateTest, RawValues) {
  EXPECT_EQ(rawValue(CardSyncState::pendingPush), "pendingPush");
  EXPECT_EQ(fromRawValue<CardSyncState>("failed"), CardSyncState::failed);
  EXPECT_FALSE(fromRawValue<CardSyncState>("Synced"));
}

}  // namespace
}  // namespace kelvo
