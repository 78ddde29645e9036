#include <gtest/gtest.h>

#include <unordered_set>

#include "core/import/ImportDestination.hpp"
#include "core/import/ImportError.hpp"
#include "core/import/ImportFormat.hpp"
#include "core/import/ImportedSnippet.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using F = ImportFormat;

TEST(ImportFormatTest, TableOfFormats) {
  const auto cases = allCases<ImportFormat>();
  ASSERT_EQ(cases.size(), 7u);
  for (const ImportFormat format : cases) {
    EXPECT_EQ(fromRawValue<ImportFormat>(rawValue(format)), format);
    const auto others = alternatives(format);
    EXPECT_EQ(std::count(others.begin(), others.end(), format), 0);
    EXPECT_EQ(others.empty(), toolName(format).has_value());
  }
  EXPECT_FALSE(fromRawValue<ImportFormat>("CSV"));
  EXPECT_FALSE(fromRawValue<ImportFormat>("Lines"));
  EXPECT_EQ(fromRawValue<ImportFormat>("textReplacements"), F::textReplacements);
  EXPECT_EQ(displayName(F::textReplacements), "Text Replacements");
  EXPECT_EQ(toolName(F::alfred), "Alfred");
  EXPECT_FALSE(toolName(F::csv));
  EXPECT_EQ(alternatives(F::markdown), (std::vector<F>{F::csv, F::lines, F::paragraphs}));
  EXPECT_EQ(alternatives(F::lines), (std::vector<F>{F::csv, F::paragraphs, F::markdown}));
  EXPECT_EQ(placeholderSyntax(F::csv), PlaceholderSyntax::textExpander);
  EXPECT_EQ(placeholderSyntax(F::raycast), PlaceholderSyntax::braces);
  EXPECT_EQ(placeholderSyntax(F::alfred), PlaceholderSyntax::braces);
  EXPECT_EQ(placeholderSyntax(F::markdown), PlaceholderSyntax::none);
}

TEST(ImportFormatTest, ErrorsAndDestinationsCompareByCaseAndValues) {
  const std::vector<ImportError> errors{
      ImportError::unreadableEncoding(),
      ImportError::tooLarge(1, 2),
      ImportError::tooLarge(1, 3),
      ImportError::notASnippetExport(),
      ImportError::noPermission(),
      ImportError::malformed(F::raycast),
      ImportError::malformed(F::raycast, 1),
      ImportError::malformed(F::alfred, 1),
      ImportError::unsupportedYet(UnsupportedFormat::espansoYAML)};
  const std::unordered_set<ImportError> distinct(errors.begin(), errors.end());
  EXPECT_EQ(distinct.size(), errors.size());
  EXPECT_TRUE(distinct.contains(ImportError::malformed(F::raycast, 1)));

  const UUID project = UUID::random();
  const std::unordered_set<ImportDestination> destinations{
      ImportDestination::newShelf("Work", std::nullopt),
      ImportDestination::newShelf("Work", project), ImportDestination::existing(project)};
  EXPECT_EQ(destinations.size(), 3u);
  EXPECT_TRUE(destinations.contains(ImportDestination::newShelf("Work", project)));
  EXPECT_EQ(ImportDestination::newShelf("Caf\u00e9", std::nullopt),
            ImportDestination::newShelf("Cafe\u0301", std::nullopt));
  EXPECT_EQ(std::hash<ImportDestination>{}(ImportDestination::newShelf("Caf\u00e9", project)),
            std::hash<ImportDestination>{}(ImportDestination::newShelf("Cafe\u0301", project)));
}

TEST(ImportWarningTest, MessagesAndEquality) {
  EXPECT_EQ(ImportWarning::valueWasNotText("%@").message(),
            "Its %@ was not text, so the row was skipped.");

  const std::unordered_set<ImportWarning> warnings{
      ImportWarning::cursorMarkerRemoved(),
      ImportWarning::controlCodeRemoved("x"),
      ImportWarning::unnamedFillNumbered("x"),
      ImportWarning::valueWasNotText("x"),
      ImportWarning::dynamicPlaceholderBecameBlank("x", "y"),
      ImportWarning::dynamicPlaceholderBecameBlank("y", "x")};
  EXPECT_EQ(warnings.size(), 6u);
  EXPECT_TRUE(warnings.contains(ImportWarning::controlCodeRemoved("x")));

  ImportedSnippet a{"Caf\u00e9", "b", std::nullopt, {"A", "B"}, {}};
  ImportedSnippet b{"Cafe\u0301", "b", std::nullopt, {"A", "B"}, {}};
  EXPECT_EQ(a, b);
  b.keyword = "";
  EXPECT_NE(a, b);
  b = a;
  b.folderPath = {"B", "A"};
  EXPECT_NE(a, b);
  a.warnings = {ImportWarning::cursorMarkerRemoved(), ImportWarning::valueWasNotText("t")};
  b = a;
  std::swap(b.warnings[0], b.warnings[1]);
  EXPECT_NE(a, b);

  testing::GermanCatalogue german(
      {{"An unnamed fill-in became {%@}.", "Ein Feld ohne Namen wurde zu {%@}."}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(ImportWarning::unnamedFillNumbered("Feld 1").message(),
            "Ein Feld ohne Namen wurde zu {Feld 1}.");
  EXPECT_EQ(ImportWarning::cursorMarkerRemoved().message(), "A cursor marker was removed.");
}

}  // namespace
}  // namespace kelvo
