// The table builder over a small WordNet extract whose tables are computed by hand, and its
// reading errors.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/language/WordNetEmbedding.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"
#include "tests/support/TestSupport.hpp"
#include "tools/LanguageTables.hpp"

namespace kelvo::language {
namespace {

const std::filesystem::path extract = testing::sourceDir() / "tests/language/data/wordnet";

std::vector<std::pair<std::string, double>> listed(const WordEmbedding& embedding,
                                                   std::string_view word) {
  std::vector<std::pair<std::string, double>> out;
  for (const Neighbour& n : embedding.neighbours(word, 12)) out.emplace_back(n.word, n.distance);
  return out;
}

TEST(WordNetTablesTest, TheExtractGivesTheHandComputedTables) {
  const auto source = tools::WordNetSource::read(extract);
  const auto neighbours = tools::neighbourTable(source);
  EXPECT_EQ(neighbours, tools::neighbourTable(tools::WordNetSource::read(extract)));
  const auto lemmas = tools::lemmaTable(source);
  EXPECT_EQ(lemmas, tools::lemmaTable(tools::WordNetSource::read(extract)));

  // bill = {invoice synset 1, its hypernym 0.5, beak synset 0.5}, invoice = {1, hypernym 0.5},
  // statement = {hypernym 1}: cosines 1.25/√1.875, 0.5/√1.5 and 0.5/√1.25.
  const auto embedding = WordNetEmbedding::fromBytes(neighbours);
  ASSERT_NE(embedding, nullptr);
  EXPECT_EQ(embedding->wordCount(), 5u);  // bill, big, invoice, run, statement
  const double billInvoice = 1 - 1.25 / std::sqrt(1.875);
  const double billStatement = 1 - 0.5 / std::sqrt(1.5);
  const double invoiceStatement = 1 - 0.5 / std::sqrt(1.25);
  const auto near = [](double d) { return static_cast<double>(static_cast<float>(d)); };
  using List = std::vector<std::pair<std::string, double>>;
  EXPECT_EQ(listed(*embedding, "invoice"),
            (List{{"bill", near(billInvoice)}, {"statement", near(invoiceStatement)}}));
  EXPECT_EQ(listed(*embedding, "statement"),
            (List{{"invoice", near(invoiceStatement)}, {"bill", near(billStatement)}}));
  EXPECT_EQ(embedding->neighbours("bill", 1).size(), 1u);
  EXPECT_TRUE(listed(*embedding, "run").empty());
  EXPECT_TRUE(listed(*embedding, "credit").empty());

  const auto tagger = WordNetLemmaTagger::fromBytes(lemmas);
  ASSERT_NE(tagger, nullptr);
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
      {"invoices", "invoice"}, {"Ran away", "run"},           {"bigger", "big"},
      {"— Bills!", "bill"},    {"statement", "statement"},    {"runs", "run"},
      {"geese", std::nullopt}, {"credit_card", std::nullopt}, {"", std::nullopt},
      {"zzz", std::nullopt}};
  for (const auto& [text, lemma] : cases) EXPECT_EQ(tagger->lemma(text), lemma) << text;
}

TEST(WordNetTablesTest, AMalformedLineNamesItsFileAndLine) {
  testing::TemporaryDirectory folder;
  for (const auto& entry : std::filesystem::directory_iterator(extract)) {
    std::filesystem::copy_file(entry.path(), folder.path() / entry.path().filename());
  }
  const auto failsWith = [&](const std::string& message) {
    try {
      tools::WordNetSource::read(folder.path());
      ADD_FAILURE() << "read a malformed line";
    } catch (const tools::WordNetError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  };
  std::ofstream(folder.path() / "cntlist.rev", std::ios::app) << "bill%6:10:00:: 3 1\n";
  failsWith("cntlist.rev:5: \"bill%6:10:00::\" is not a sense key");
  std::ofstream(folder.path() / "data.verb", std::ios::app) << "00000011 38 v zz run 0 000 |\n";
  failsWith("data.verb:2: \"zz\" is not a number");
}

}  // namespace
}  // namespace kelvo::language
