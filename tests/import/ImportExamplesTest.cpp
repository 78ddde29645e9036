// The usage examples at the top of the import layer's headers, run as written.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/import/ImportPlan.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/model/Card.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo {
namespace {

// Five rows of keyword and body; the second body is kept already.
const std::string fileText =
    "sig,Best regards\nhi,Hello there\nty,Many thanks\nbye,See you soon\naddr,1 Main Street\n";

TEST(SnippetImporter, APIExamples) {
  std::vector<std::pair<std::string, ImportFormat>> planned;
  const auto plan = [&](const std::vector<ImportedSnippet>& snippets, ImportFormat format,
                        const std::string& sourceName) {
    EXPECT_EQ(snippets.size(), 5u);
    planned.emplace_back(sourceName, format);
  };

  const auto parsed = SnippetImporter::parse(asBytes(fileText), "team.csv", std::nullopt);
  if (parsed) plan(parsed->snippets, parsed->format, parsed->sourceName);

  ASSERT_EQ(planned.size(), 1u);
  EXPECT_EQ(planned[0].first, "team");
  EXPECT_EQ(planned[0].second, ImportFormat::csv);
}

TEST(ImportPlan, APIExamples) {
  const SnippetImporter::Parsed parsed =
      SnippetImporter::parse(asBytes(fileText), "team.csv", std::nullopt).value();
  const UUID kept = UUID::random();
  const ImportPlan::Hashes hashes = {{Card::contentHash(CardType::text, "Hello there"), kept}};
  const auto destination = ImportDestination::newShelf("Team", std::nullopt);
  std::vector<std::string> made;
  const auto keep = [&](const std::string& title, const std::string& body) {
    made.push_back(title + ": " + body);
  };

  ImportPlan plan = ImportPlan::make(parsed.snippets, hashes, destination, parsed.format,
                                     parsed.sourceName, UUID::random());
  plan.setIncluded(false, 3);
  for (const ImportPlan::Row& row : plan.includedRows()) keep(row.title, row.snippet.body);

  EXPECT_EQ(plan.rows()[1].status, ImportPlan::Status::alreadyInKelvo(kept));
  EXPECT_EQ(made, (std::vector<std::string>{"sig: Best regards", "ty: Many thanks",
                                            "addr: 1 Main Street"}));
}

}  // namespace
}  // namespace kelvo
