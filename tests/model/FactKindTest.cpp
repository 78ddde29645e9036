#include "core/model/FactKind.hpp"

#include <gtest/gtest.h>

#include "core/model/CardSyncState.hpp"

namespace kelvo {
namespace {

TEST(FactKindTest, RawValuesAndNames) {
  const auto cases = allCases<FactKind>();
  ASSERT_EQ(cases.size(), 7u);
  EXPECT_EQ(rawValue(cases.front()), "email");
  EXPECT_EQ(rawValue(FactKind::idNumber), "idNumber");
  EXPECT_EQ(rawValue(cases.back()), "custom");
  EXPECT_EQ(fromRawValue<FactKind>("licenseKey"), FactKind::licenseKey);
  EXPECT_FALSE(fromRawValue<FactKind>("IBAN"));
  EXPECT_FALSE(fromRawValue<FactKind>("idnumber"));
}

TEST(CardSyncStateTest, RawValues) {
  EXPECT_EQ(rawValue(CardSyncState::pendingPush), "pendingPush");
  EXPECT_EQ(fromRawValue<CardSyncState>("localOnly"), CardSyncState::localOnly);
  EXPECT_EQ(fromRawValue<CardSyncState>("failed"), CardSyncState::failed);
  EXPECT_FALSE(fromRawValue<CardSyncState>(""));
  EXPECT_FALSE(fromRawValue<CardSyncState>("Synced"));
}

}  // namespace
}  // namespace kelvo
