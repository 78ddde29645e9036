#include "core/import/ImportCopy.hpp"

#include <gtest/gtest.h>

#include "core/import/ImportWarning.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(ImportCopyTest, EveryStringInOrder) {
  const std::vector<std::string> expected{
      "Import snippets…",
      "Import Snippets…",
      "Import snippets",
      "Cancel",
      "Paste from clipboard",
      "Nothing to paste yet",
      "Copy a list or an export, then come back.",
      "Open a file…",
      "Use the test fixture",
      "Kelvo understands TextExpander, Raycast, Alfred, Apple Text Replacements, or any CSV, "
      "JSON, Markdown or text list.",
      "Reading…",
      "Treat as",
      "Change",
      "Already in Kelvo",
      "Empty",
      "Too long",
      "Repeated in the file",
      "Nothing new to import",
      "Nothing to import here.",
      "This CSV has a header but no rows.",
      "No text on the clipboard.",
      "This file is a list of empty lines.",
      "Choose another file",
      "Paste instead",
      "Keep it as one card",
      "Kelvo couldn't read that file.",
      "Try another file",
      "Back to the preview",
      "Import undone",
      "That shelf was gone, so they went to Unsorted.",
      "Raycast · 2 snippets",
      "New shelf X in P",
      "Into S",
      "1 new",
      "1 already in Kelvo",
      "1 skipped",
      "1 thing changed",
      "2 things changed",
      "Import 1 card",
      "Import 1 of 2",
      "Keeping 2 cards…",
      "Kept 1 card in S",
      "Kept 1 of 2 in S",
      "Kept 1 card in S — R.",
      "1 snippet found",
      "T, new",
      "Include T",
      "Looks like 2 snippets. Import them as separate cards?",
      "It isn't UTF-8 text. Save it as UTF-8 and try again.",
      "That file doesn't look like a snippet export. Try a CSV, JSON, Markdown or text file.",
      "Kelvo doesn't have permission to open it. Choose it again from the file picker.",
      "The Raycast stops making sense at line 1. Fix it in a text editor and try again.",
      "The CSV can't be read. Export it again and try once more.",
      "Kelvo can't read Alfred bundles yet. Rename the bundle to .zip, unzip it, and open one of "
      "the .json files inside.",
      "Kelvo can't read TextExpander's own files yet — export the group as CSV instead.",
      "Kelvo can't read Espanso files yet. Paste the replacement texts as a list instead.",
  };
  EXPECT_EQ(ImportCopy::everyString(), expected);
  EXPECT_EQ(ImportCopy::everyWarningString(),
            (std::vector<std::string>{
                "A cursor marker was removed.",
                "The code %key:enter% is a keystroke, not text, and was removed.",
                "The placeholder {clipboard} became the blank {clipboard}, which you fill when "
                "you reuse the card.",
                "An unnamed fill-in became {blank 1}.",
                "Its text was not text, so the row was skipped."}));
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
