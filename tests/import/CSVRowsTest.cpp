#include "core/import/CSVRows.hpp"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <random>

#include "core/import/CSVReader.hpp"

namespace kelvo {
namespace {

using CSVReader::Row;
using CSVReader::Rows;
using Plain = std::vector<std::vector<std::string>>;

// Random tables against plain vectors: narrow and wide rows, empty fields, rows of no field,
// rows dropped at any point (across the offsets' chunk edges), copies.
TEST(CSVRowsTest, HoldsWhatAPlainTableHolds) {
  std::mt19937 random(4096);
  for (int round = 0; round < 30; ++round) {
    Rows rows;
    Plain expected;
    const int count = static_cast<int>(random() % 4000);
    for (int i = 0; i < count; ++i) {
      if (random() % 40 == 0 && !expected.empty()) {
        rows.pop_back();
        expected.pop_back();
        continue;
      }
      std::vector<std::string> row(random() % (round % 3 == 0 ? 12 : 4));
      for (std::string& field : row) field.assign(random() % 3 ? random() % 9 : 0, 'a' + i % 26);
      rows.push_back(row);
      expected.push_back(row);
    }
    ASSERT_EQ(rows.size(), expected.size());
    EXPECT_EQ(rows.empty(), expected.empty());
    std::size_t i = 0;
    for (const Row row : rows) {
      ASSERT_EQ(row.strings(), expected[i]);
      ASSERT_EQ(row.size(), expected[i].size());
      for (std::size_t j = 0; j < row.size(); ++j) EXPECT_EQ(row[j], expected[i][j]);
      ++i;
    }
    const Rows copy = rows;
    EXPECT_EQ(copy, rows);
    rows.clear();
    rows.push_back({"x"});
    EXPECT_EQ(rows, (Rows{{"x"}}));
  }
}

TEST(CSVRowsTest, EqualityLooksAtFieldsNotLayout) {
  EXPECT_EQ((Rows{{"caf\u00E9", ""}, {}}), (Rows{{"cafe\u0301", ""}, {}}));
  EXPECT_EQ((Rows{{}}).size(), 1u);
  const std::vector<std::pair<Rows, Rows>> unequal{
      {{{"ab", ""}}, {{"a", "b"}}}, {{{"a"}, {"b"}}, {{"a", "b"}}}, {{{""}}, {{}}}, {{{}}, {}},
      {{{"a"}}, {{"a"}, {}}},
  };
  for (const auto& [a, b] : unequal) {
    EXPECT_NE(a, b);
    EXPECT_NE(b, a);
  }
  // A read table (its text reserved, blank rows dropped) equals one built field by field.
  Rows built;
  built.push_back({"k", ""});
  built.push_back({"a\"", "b"});
  EXPECT_EQ(CSVReader::read("k,\n \n\"a\"\"\",b\n\n").rows, built);
  EXPECT_NE(CSVReader::read("k;v", U';'), (CSVReader::Table{{{"k", "v"}}, U','}));
}

TEST(CSVRowsTest, TextsOf4GiBAreRefused) {
  // Address space only: no page past the first is touched.
  const std::size_t size = Rows::maxTextSize;
  void* mapping =
      mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  const std::string_view huge(static_cast<const char*>(mapping), size);
  EXPECT_THROW(CSVReader::read(huge), std::length_error);
  Rows rows{{"a"}};
  EXPECT_THROW(rows.append(huge), std::length_error);
  EXPECT_EQ(rows, (Rows{{"a"}}));
  munmap(mapping, size);
}

}  // namespace
}  // namespace kelvo
