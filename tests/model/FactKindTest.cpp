#include "core/model/FactKind.hpp"

#include <gtest/gtest.h>

#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(FactKindTest, NamesAreLocalisedExceptIDNumber) {
  testing::GermanCatalogue german({{"Email", "E-Mail"}, {"ID number", "Ausweisnummer"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(displayName(FactKind::email), "E-Mail");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");
}

}  // namespace
}  // namespace kelvo
