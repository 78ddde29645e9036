#include "core/model/FactKind.hpp"

#include <gtest/gtest.h>
#include <locale.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "core/design/KelvoIcon.hpp"
#include "core/model/CardSyncState.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Localized.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

TEST(FactKindTest, RawValuesAndIcons) {
  const auto cases = allCases<FactKind>();
  ASSERT_EQ(cases.size(), 7u);
  EXPECT_EQ(rawValue(cases.front()), "email");
  EXPECT_EQ(rawValue(FactKind::idNumber), "idNumber");
  EXPECT_EQ(rawValue(cases.back()), "custom");
  EXPECT_EQ(fromRawValue<FactKind>("licenseKey"), FactKind::licenseKey);
  EXPECT_FALSE(fromRawValue<FactKind>("IBAN"));
  EXPECT_FALSE(fromRawValue<FactKind>("idnumber"));
  // The seven icons stand together in the icon enumeration, in the order of the kinds.
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(icon(cases[i])),
              static_cast<std::size_t>(KelvoIcon::factEmail) + i);
  }
  EXPECT_EQ(icon(FactKind::idNumber), KelvoIcon::factIDNumber);
  EXPECT_EQ(icon(FactKind::custom), KelvoIcon::factCustom);
}

// A gettext catalogue (.mo) of `entries`, sorted by key as the format wants.
std::string catalogue(const std::map<std::string, std::string>& entries) {
  std::string header, strings;
  auto word = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) header.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  };
  const auto count = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t text = 28 + 16 * count;
  for (std::uint32_t value : {0x950412deU, 0U, count, 28U, 28 + 8 * count, 0U, text}) word(value);
  auto place = [&](const std::string& s) {
    word(static_cast<std::uint32_t>(s.size()));
    word(text + static_cast<std::uint32_t>(strings.size()));
    strings += s;
    strings.push_back('\0');
  };
  for (const auto& entry : entries) place(entry.first);
  for (const auto& entry : entries) place(entry.second);
  return header + strings;
}

TEST(FactKindTest, NamesAreLocalisedExceptIDNumber) {
  EXPECT_EQ(displayName(FactKind::iban), "IBAN");
  EXPECT_EQ(displayName(FactKind::licenseKey), "License key");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");

  if (setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  testing::TemporaryDirectory folder;
  std::filesystem::create_directories(folder.path() / "de" / "LC_MESSAGES");
  std::ofstream(folder.path() / "de" / "LC_MESSAGES" / "kelvo.mo", std::ios::binary)
      << catalogue({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                    {"Email", "E-Mail"},
                    {"ID number", "Ausweisnummer"}});
  setenv("LANGUAGE", "de", 1);
  setLocalizationDirectory(folder.path().string());
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(displayName(FactKind::email), "E-Mail");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");
  unsetenv("LANGUAGE");
  setlocale(LC_MESSAGES, "C");
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
