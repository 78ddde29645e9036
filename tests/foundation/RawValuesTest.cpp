// The raw-value machinery on an enumeration of its own; each layer's tests run the same checks
// over the enumerations that layer stores (tests/support/RawValuesTests.hpp).
#include "platform/foundation/RawValues.hpp"

#include "tests/support/RawValuesTests.hpp"

namespace kelvo {

enum class Season { spring, summer, autumn, winter };

template <>
struct RawValues<Season> {
  static constexpr std::array<std::pair<Season, std::string_view>, 4> table{{
      {Season::spring, "spring"},
      {Season::summer, "summer"},
      {Season::autumn, "autumn"},
      {Season::winter, "winter"},
  }};
};

namespace testing {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Foundation, RawValuesTest, ::testing::Types<Season>);

TEST(RawValuesTest, CasesComeInDeclarationOrder) {
  const auto cases = allCases<Season>();
  EXPECT_EQ(std::vector<Season>(cases.begin(), cases.end()),
            (std::vector<Season>{Season::spring, Season::summer, Season::autumn, Season::winter}));
  EXPECT_EQ(fromRawValue<Season>("Summer"), std::nullopt);  // case counts
}

}  // namespace
}  // namespace testing
}  // namespace kelvo
