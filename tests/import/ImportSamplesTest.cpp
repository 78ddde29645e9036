#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/ImportFixtures.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/import/TitleDerivation.hpp"
#include "platform/foundation/Utf.hpp"
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

std::optional<std::string> optionalText(const Json& value) {
  if (value.is_null()) return std::nullopt;
  return value.get<std::string>();
}

ImportedSnippet expectedSnippet(const Json& entry) {
  ImportedSnippet snippet{optionalText(entry["title"]),
                          entry["body"],
                          optionalText(entry["keyword"]),
                          entry["folderPath"],
                          {}};
  for (const Json& field : entry["warnings"]) {
    snippet.warnings.push_back(ImportWarning::valueWasNotText(field));
  }
  return snippet;
}

std::vector<ImportedSnippet> readWith(const std::string& reader, const std::string& bytes) {
  if (reader == "csv") return CSVSnippetParser::parse(CSVReader::read(bytes));
  if (reader == "utf16csv") {
    return CSVSnippetParser::parse(CSVReader::read(*decodeUtf16(bytes, ByteOrder::littleEndian)));
  }
  if (reader == "raycast") return RaycastParser::parse(json::parse(bytes));
  if (reader == "alfred") return AlfredParser::parse(json::parse(bytes));
  if (reader == "plist") return ApplePlistParser::parse(PropertyList::read(bytes));
  if (reader == "markdown") return MarkdownSplitter::split(bytes);
  ADD_FAILURE() << "no reader " << reader;
  return {};
}

TEST(ImportFixturesTest, EveryFixtureReadsAsWrittenBesideIt) {
  const auto folder = testing::sourceDir() / "tests" / "fixtures" / "import";
  const Json expected = json::parse(contents(folder / "expected.json"));
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename() != "expected.json") ++files;
  }
  EXPECT_EQ(files, expected.size());
  for (const auto& [name, about] : expected.items()) {
    SCOPED_TRACE(name);
    const std::string bytes = contents(folder / name);
    ASSERT_FALSE(bytes.empty());
    const std::string reader = about["reader"];
    if (reader == "none") continue;
    if (about.contains("unreadable")) {
      EXPECT_THROW(readWith(reader, bytes), PropertyListError);
      continue;
    }
    std::vector<ImportedSnippet> wanted;
    for (const Json& snippet : about["snippets"]) wanted.push_back(expectedSnippet(snippet));
    EXPECT_EQ(readWith(reader, bytes), wanted);
  }
}

using Status = ImportPlan::Status;

ImportedSnippet body(std::string text) { return {std::nullopt, std::move(text), {}, {}, {}}; }

ImportPlan planOf(std::vector<ImportedSnippet> snippets, ImportPlan::Hashes hashes = {}) {
  return ImportPlan::make(snippets, std::move(hashes),
                          ImportDestination::newShelf("Imported", std::nullopt),
                          ImportFormat::lines, "Clipboard", testing::uuid(1));
}

std::vector<Status> statuses(const ImportPlan& plan) {
  std::vector<Status> list;
  for (const auto& row : plan.rows()) list.push_back(row.status);
  return list;
}

std::string repeated(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(ImportPlanTest, GivesEachRowItsStatus) {
  const std::string longest = repeated("e\u0301", 20'000);
  const std::string tooLong = longest + "e";
  const std::vector<ImportedSnippet> rows{body("  Hello\n"), body(" \n\t"), body("Hello"),
                                          body(longest),     body(tooLong), body(tooLong),
                                          body(" \n"),       body("Hello ")};
  ImportPlan plan = planOf(rows);
  EXPECT_EQ(statuses(plan),
            (std::vector<Status>{Status::new_(), Status::empty(), Status::duplicateInFile(0),
                                 Status::new_(), Status::tooLong(), Status::tooLong(),
                                 Status::empty(), Status::duplicateInFile(0)}));
  EXPECT_EQ(plan.rows()[0].snippet.body, "Hello");
  EXPECT_EQ(plan.rows()[0].title, "Hello");
  EXPECT_EQ(plan.rows()[1].title, "Snippet 2");
  EXPECT_EQ(plan.summary(), (ImportPlan::Summary{8, 2, 2, 0, 6}));

  // Toggling follows only the new rows; everything else is left alone.
  plan.setIncluded(false, 3);
  for (const std::int64_t id : {-1, 1, 2, 4, 8}) plan.setIncluded(false, id);
  EXPECT_EQ(plan.summary(), (ImportPlan::Summary{8, 2, 1, 0, 6}));
  EXPECT_EQ(plan.summary().requested(), 1);
  ASSERT_EQ(plan.includedRows().size(), 1u);
  EXPECT_EQ(plan.includedRows()[0].id, 0);
  plan.setIncluded(true, 3);
  EXPECT_EQ(plan, planOf(rows));
  plan.setDestination(ImportDestination::existing(testing::uuid(2)));
  EXPECT_EQ(plan.summary(), (ImportPlan::Summary{8, 2, 2, 0, 6}));
  EXPECT_NE(plan, planOf(rows));
  EXPECT_EQ(planOf({}).summary(), ImportPlan::Summary{});
}

TEST(ImportPlanTest, KnowsTheCardsAlreadyKept) {
  testing::Library library;
  const auto card = library.card("Best,\nAda");
  library.context().save();
  ImportPlan::Hashes hashes;
  for (const auto& kept : library.context().fetch(Card::fetchRequest())) {
    hashes.emplace(kept->contentHash(), kept->id());
  }
  const ImportPlan plan = planOf({body("\nBest,\nAda  "), body("Best,\nAda"), body("New")}, hashes);
  EXPECT_EQ(plan.rows()[0].contentHash, card->contentHash());
  EXPECT_EQ(statuses(plan), (std::vector<Status>{Status::alreadyInKelvo(card->id()),
                                                 Status::duplicateInFile(0), Status::new_()}));
  EXPECT_FALSE(plan.rows()[0].canToggle());
  EXPECT_EQ(plan.summary(), (ImportPlan::Summary{3, 1, 1, 1, 1}));
}

TEST(TitleDerivationTest, TakesTitleKeywordLineOrNumber) {
  struct Case {
    ImportedSnippet snippet;
    std::size_t index;
    std::string expected;
  };
  const std::string keyword75 = repeated("k", 75);
  const std::string decomposed60 = repeated("e\u0301", 60);
  const std::vector<Case> cases{
      {{" Sig ", "body", "kw", {}, {}}, 0, "Sig"},
      {{"  \t", "body", " kw\n", {}, {}}, 0, "kw"},
      {{std::nullopt, "body", keyword75, {}, {}}, 0, keyword75},
      {{"", "\n \r\n\u2028  First line  \nsecond", "", {}, {}}, 0, "First line"},
      {{std::nullopt, decomposed60, std::nullopt, {}, {}}, 0, decomposed60},
      {{std::nullopt, repeated("x", 61), std::nullopt, {}, {}}, 0, repeated("x", 59) + "\u2026"},
      {{std::nullopt, repeated("x", 57) + "  \tyy", std::nullopt, {}, {}},
       0,
       repeated("x", 57) + "\u2026"},
      {{std::nullopt, " \n\t", std::nullopt, {}, {}}, 41, "Snippet 42"},
      {{}, 0, "Snippet 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TitleDerivation::title(c.snippet, c.index), c.expected) << c.snippet.body;
  }
}

}  // namespace
}  // namespace kelvo
