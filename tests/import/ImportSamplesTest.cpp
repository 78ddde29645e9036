#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "core/import/ImportFixtures.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/SnippetImporter.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using F = ImportFormat;
using Outcome = Result<ImportFormat, ImportError>;

TEST(ImportSamplesTest, EverySampleGivesItsVerdict) {
  const std::vector<std::pair<std::string, std::pair<Outcome, std::size_t>>> expected{
      {"raycast", {F::raycast, 3}},
      {"text-expander-csv", {F::csv, 3}},
      {"apple-text-replacements", {F::textReplacements, 2}},
      {"alfred-json", {F::alfred, 1}},
      {"markdown", {F::markdown, 2}},
      {"lines", {F::lines, 5}},
      {"paragraphs", {F::paragraphs, 3}},
      {"thirty-lines", {F::lines, 30}},
      {"folders-csv", {F::csv, 6}},
      {"header-only-csv", {F::csv, 0}},
      {"invalid-utf8", {ImportError::unreadableEncoding(), 0}},
      {"espanso", {ImportError::unsupportedYet(UnsupportedFormat::espansoYAML), 0}},
      {"alfred-bundle", {ImportError::unsupportedYet(UnsupportedFormat::alfredBundle), 0}},
      {"raycast-broken", {ImportError::malformed(F::raycast, 3), 0}},
  };
  ASSERT_EQ(ImportFixtures::all().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& sample = ImportFixtures::all()[i];
    const auto& [outcome, count] = expected[i].second;
    EXPECT_EQ(sample.name, expected[i].first);
    const auto parsed = SnippetImporter::parse(sample.data, sample.filename, std::nullopt);
    if (!outcome) {
      EXPECT_EQ(parsed.error(), outcome.error()) << sample.name;
      continue;
    }
    ASSERT_TRUE(parsed) << sample.name;
    EXPECT_EQ(parsed->format, outcome.value()) << sample.name;
    EXPECT_EQ(parsed->snippets.size(), count) << sample.name;
  }
  EXPECT_EQ(ImportFixtures::named("raycast-broken"), ImportFixtures::raycastBroken());
  EXPECT_FALSE(ImportFixtures::named("Raycast"));
  EXPECT_FALSE(ImportFixtures::named(""));
  EXPECT_EQ(ImportFixtures::invalidUTF8().text(), "\uFFFD(AB");
  const auto folders = SnippetImporter::parse(ImportFixtures::foldersCSV().data,
                                              ImportFixtures::foldersCSV().filename, std::nullopt);
  EXPECT_EQ(folders->snippets[0].folderPath, std::vector<std::string>{"Work"});
  EXPECT_TRUE(folders->snippets[5].folderPath.empty());
  EXPECT_EQ(folders->sourceName, "Team snippets");
}

std::string contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

TEST(ImportSamplesTest, EveryFixtureFileImportsAndPlans) {
  testing::Library library;
  library.card("On my way!");
  library.context().save();
  ImportPlan::Hashes hashes;
  for (const auto& card : library.context().fetch(Card::fetchRequest())) {
    hashes.emplace(card->contentHash(), card->id());
  }
  // File → format, or the error it must give.
  const std::map<std::string, Outcome> expected{
      {"alfred-snippet.json", F::alfred},
      {"espanso-match.yml", ImportError::unsupportedYet(UnsupportedFormat::espansoYAML)},
      {"notes.md", F::markdown},
      {"raycast.json", F::raycast},
      {"semicolon-folders.csv", F::csv},
      {"spreadsheet-unicode.txt", F::csv},
      {"spreadsheet-utf8.csv", F::csv},
      {"text-replacements-binary.plist", ImportError::unreadableEncoding()},
      {"text-replacements.plist", F::textReplacements},
      {"textexpander-group.csv", F::csv},
      {"textexpander-settings.plist",
       ImportError::unsupportedYet(UnsupportedFormat::textExpanderPlist)},
  };
  const auto folder = testing::sourceDir() / "tests" / "fixtures" / "import";
  for (const auto& [name, outcome] : expected) {
    const std::string bytes = contents(folder / name);
    const auto parsed = SnippetImporter::parse(asBytes(bytes), name, std::nullopt);
    if (!outcome) {
      EXPECT_EQ(parsed.error(), outcome.error()) << name;
      continue;
    }
    ASSERT_TRUE(parsed) << name;
    EXPECT_EQ(parsed->format, outcome.value()) << name;
    const ImportPlan plan =
        ImportPlan::make(parsed->snippets, hashes, ImportDestination::newShelf("In", std::nullopt),
                         parsed->format, parsed->sourceName, UUID::random());
    const auto summary = plan.summary();
    EXPECT_EQ(summary.total, static_cast<std::int64_t>(parsed->snippets.size())) << name;
    EXPECT_EQ(summary.alreadyInKelvo, name == "text-replacements.plist" ? 1 : 0) << name;
    EXPECT_GT(summary.new_, 0) << name;
  }
}

}  // namespace
}  // namespace kelvo
