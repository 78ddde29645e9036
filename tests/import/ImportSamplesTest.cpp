#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <unordered_set>
#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/ImportCopy.hpp"
#include "core/import/ImportDestination.hpp"
#include "core/import/ImportError.hpp"
#include "core/import/ImportFixtures.hpp"
#include "core/import/ImportFormat.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/ImportWarning.hpp"
#include "core/import/ImportedSnippet.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/import/TitleDerivation.hpp"
#include "platform/foundation/Utf.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/GermanCatalogue.hpp"
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

TEST(ImportFormatTest, FormatsErrorsAndDestinations) {
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
  const std::vector<ImportError> errors{ImportError::tooLarge(1, 2),
                                        ImportError::tooLarge(1, 3),
                                        ImportError::noPermission(),
                                        ImportError::malformed(F::raycast),
                                        ImportError::malformed(F::raycast, 1),
                                        ImportError::malformed(F::alfred, 1),
                                        ImportError::unsupportedYet(UnsupportedFormat::espansoYAML),
                                        ImportError::tooManySnippets(2),
                                        ImportError::tooManySnippets(3)};
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

TEST(ImportCopyTest, StringsCountsNamesAndErrors) {
  // The full table was compared with its source elsewhere: the count, the ends and the strings
  // with odd punctuation stand for it.
  const std::vector<std::string> all = ImportCopy::everyString();
  ASSERT_EQ(all.size(), 57u);
  EXPECT_EQ(all.front(), "Import snippets…");
  EXPECT_EQ(all[1], "Import Snippets…");
  EXPECT_EQ(all[25], "Kelvo couldn't read that file.");
  EXPECT_EQ(all[30], "Raycast · 2 snippets");
  EXPECT_EQ(all[43], "Kept 1 card in S — R.");
  EXPECT_EQ(all.back(),
            "It holds more than 1,000,000 snippets, the most Kelvo takes in one import. Split it "
            "into smaller files and try again.");
  const std::vector<std::string> warnings = ImportCopy::everyWarningString();
  ASSERT_EQ(warnings.size(), 5u);
  EXPECT_EQ(warnings.front(), "A cursor marker was removed.");
  EXPECT_EQ(warnings.back(), "Its text was not text, so the row was skipped.");
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
