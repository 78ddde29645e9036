#include <gtest/gtest.h>

#include <unordered_set>

#include "core/import/ImportCopy.hpp"
#include "core/import/ImportDestination.hpp"
#include "core/import/ImportError.hpp"
#include "core/import/ImportFormat.hpp"
#include "core/import/ImportWarning.hpp"
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
  EXPECT_EQ(displayName(F::textReplacements), "Text Replacements");
  EXPECT_EQ(alternatives(F::lines), (std::vector<F>{F::csv, F::paragraphs, F::markdown}));
}

TEST(ImportFormatTest, ErrorsAndDestinationsCompareByCaseAndValues) {
  const std::vector<ImportError> errors{
      ImportError::tooLarge(1, 2),
      ImportError::tooLarge(1, 3),
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

TEST(ImportCopyTest, EveryStringInOrder) {
  // The full table was compared with its source elsewhere: the count, the ends and the strings
  // with odd punctuation stand for it.
  const std::vector<std::string> all = ImportCopy::everyString();
  ASSERT_EQ(all.size(), 56u);
  EXPECT_EQ(all.front(), "Import snippets…");
  EXPECT_EQ(all[1], "Import Snippets…");
  EXPECT_EQ(all[25], "Kelvo couldn't read that file.");
  EXPECT_EQ(all[30], "Raycast · 2 snippets");
  EXPECT_EQ(all[43], "Kept 1 card in S — R.");
  EXPECT_EQ(all.back(),
            "Kelvo can't read Espanso files yet. Paste the replacement texts as a list instead.");
  const std::vector<std::string> warnings = ImportCopy::everyWarningString();
  ASSERT_EQ(warnings.size(), 5u);
  EXPECT_EQ(warnings.front(), "A cursor marker was removed.");
  EXPECT_EQ(warnings.back(), "Its text was not text, so the row was skipped.");
}

TEST(ImportCopyTest, CountsNamesAndErrors) {
  using ImportCopy::destination;
  EXPECT_EQ(ImportCopy::snippets(0), "0 snippets");
  EXPECT_EQ(ImportCopy::cards(-1), "-1 cards");
  EXPECT_EQ(ImportCopy::importButton(0, 0), "Nothing new to import");
  EXPECT_EQ(ImportCopy::importButton(3, 2), "Import 3 cards");
  EXPECT_EQ(ImportCopy::kept(0, 0, "Inbox"), "Kept 0 cards in Inbox");
  EXPECT_EQ(ImportCopy::kept(2, 5, "Work"), "Kept 2 of 5 in Work");
  EXPECT_EQ(ImportCopy::warningsDisclosure(0), "0 things changed");
  EXPECT_EQ(ImportCopy::rowLabel("Sig", "Already in Kelvo", {"name", "date"}),
            "Sig, Already in Kelvo, blanks: name, date");
  const auto shelf = ImportDestination::newShelf("Work", UUID::random());
  EXPECT_EQ(destination(shelf, std::nullopt, "S"), "New shelf Work");
  EXPECT_EQ(destination(shelf, "", std::nullopt), "New shelf Work in ");
  EXPECT_EQ(destination(ImportDestination::existing(UUID::random()), "P", std::nullopt),
            "Into the shelf you chose");
  EXPECT_EQ(ImportError::malformed(ImportFormat::alfred, 7).message(),
            "The Alfred stops making sense at line 7. Fix it in a text editor and try again.");
  EXPECT_EQ(ImportError::tooLarge(2048, 1024).message(),
            "That file is 2.0 KB — Kelvo keeps files up to 1.0 KB so they can sync to your other "
            "devices.");

  testing::GermanCatalogue german(
      {{"%lld new", "%lld neu"},
       {"Text Replacements", "Textersetzungen"},
       {"Kept %@ in %@", "%@ in %@ behalten"},
       {"Looks like ", "Sieht aus wie "},
       {"The %@ can't be read. Export it again and try once more.", "%@ ist unlesbar."}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(ImportCopy::newChip(3), "3 neu");
  EXPECT_EQ(ImportCopy::kept(2, 2, "Inbox"), "2 cards in Inbox behalten");
  EXPECT_EQ(ImportCopy::kept(1, 2, "Inbox"), "Kept 1 of 2 in Inbox");
  EXPECT_EQ(ImportCopy::nudge(2), "Looks like 2 snippets. Import them as separate cards?");
  EXPECT_EQ(ImportCopy::header(ImportFormat::textReplacements, 1), "Textersetzungen · 1 snippet");
  EXPECT_EQ(ImportError::malformed(ImportFormat::textReplacements).message(),
            "Textersetzungen ist unlesbar.");
  EXPECT_EQ(ImportError::malformed(ImportFormat::textReplacements, 2).message(),
            "The Textersetzungen stops making sense at line 2. Fix it in a text editor and try "
            "again.");
}

}  // namespace
}  // namespace kelvo
