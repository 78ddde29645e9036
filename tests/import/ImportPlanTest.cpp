#include "core/import/ImportPlan.hpp"

#include <gtest/gtest.h>

#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

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

}  // namespace
}  // namespace kelvo
