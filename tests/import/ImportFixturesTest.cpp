// Every real-shaped export in tests/fixtures/import/ read by its reader gives the snippets
// listed for it in expected.json.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "platform/foundation/Utf.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

std::string contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
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

}  // namespace
}  // namespace kelvo
