// Every enumeration stored by raw value, through its one table: distinct raw values that read
// back as their case, exact matching, and no raw value for a value cast from outside the
// enumeration. (Declaration order is a static_assert of the table.)
#include "platform/foundation/RawValues.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/design/AppearancePreference.hpp"
#include "core/design/CaptureAttachOption.hpp"
#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "core/design/KelvoIconAsset.hpp"
#include "core/design/KelvoPalette.hpp"
#include "core/design/KelvoTileHue.hpp"
#include "core/design/Ossel.hpp"
#include "core/model/CardSyncState.hpp"
#include "core/model/CardTileLayout.hpp"
#include "core/model/CardType.hpp"
#include "core/model/FactKind.hpp"
#include "core/model/LinkPreviewPolicy.hpp"
#include "core/search/SearchField.hpp"
#include "core/widget/KelvoWidgetAction.hpp"

namespace kelvo {
namespace {

template <class E>
class RawValuesTest : public testing::Test {};

using Enumerations =
    testing::Types<AppearancePreference, CaptureAttachOption, CardSyncState, CardTileLayout,
                   CardType, FactKind, KelvoColorToken, KelvoIcon, KelvoIconWeight,
                   KelvoPaletteFamily, KelvoTileHue, KelvoWidgetAction, LinkPreviewPolicy::Outcome,
                   Ossel::Detail, Ossel::Expression, SearchField>;
TYPED_TEST_SUITE(RawValuesTest, Enumerations);

TYPED_TEST(RawValuesTest, EveryCaseReadsBackExactlyAndNothingElseDoes) {
  using E = TypeParam;
  const auto& table = RawValues<E>::table;
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const E value = table[i].first;
    const std::string_view raw = rawValue(value);
    EXPECT_FALSE(raw.empty());
    EXPECT_TRUE(seen.insert(raw).second) << raw;
    EXPECT_EQ(fromRawValue<E>(raw), value) << raw;
    EXPECT_FALSE(fromRawValue<E>(std::string(raw) + " ")) << raw;
  }
  EXPECT_EQ(rawValue(static_cast<E>(table.size())), "");
  EXPECT_FALSE(fromRawValue<E>(""));
}

}  // namespace
}  // namespace kelvo
