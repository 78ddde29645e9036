#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "platform/language/LanguageData.hpp"
#include "platform/language/WordNetEmbedding.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::language {
namespace {

// The tables the build makes of the small WordNet extract in tests/language/data/wordnet.
const std::filesystem::path extract = KELVO_LANGUAGE_EXTRACT_DATA;
const std::filesystem::path built = KELVO_LANGUAGE_BUILD_DATA;

std::vector<std::uint8_t> extractTable(const char* name) {
  std::ifstream in(extract / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A lemma table of these lemmas and exceptions (by part of speech, sorted) and, unless none,
// these tag counts by (part, lemma); without counts, in the layout from before them.
std::vector<std::uint8_t> lemmaTable(
    const std::array<std::vector<std::string>, 4>& lemmas,
    const std::array<std::vector<std::pair<std::string, std::string>>, 4>& exceptions,
    const std::optional<std::map<std::pair<std::size_t, std::string>, std::uint32_t>>& counts) {
  DataFileWriter writer(WordNetLemmaTagger::magic);
  std::vector<std::uint8_t> tagged;
  std::uint32_t number = 0;
  for (std::size_t part = 0; part < 4; ++part) {
    std::vector<std::uint8_t> offsets;
    for (const std::string& lemma : lemmas[part]) {
      DataFileWriter::putU32(offsets, writer.string(lemma));
      if (counts && counts->contains({part, lemma})) {
        DataFileWriter::putU32(tagged, number);
        DataFileWriter::putU32(tagged, counts->at({part, lemma}));
      }
      ++number;
    }
    writer.section(static_cast<std::uint32_t>(lemmas[part].size()), std::move(offsets));
  }
  for (const auto& list : exceptions) {
    std::vector<std::uint8_t> pairs;
    for (const auto& [inflected, base] : list) {
      DataFileWriter::putU32(pairs, writer.string(inflected));
      DataFileWriter::putU32(pairs, writer.string(base));
    }
    writer.section(static_cast<std::uint32_t>(list.size()), std::move(pairs));
  }
  const auto taggedCount = static_cast<std::uint32_t>(tagged.size() / 8);
  if (counts) writer.section(taggedCount, std::move(tagged));
  return writer.bytes();
}

// WordNet's stops, then the tag counts: each word's other readings have counts that would win
// if the rule it shows did not hold. A table from before the counts weighs every reading 0.
TEST(LanguageDataTest, TheLemmaIsTheReadingAReaderWouldMean) {
  const std::array<std::vector<std::string>, 4> lemmas{
      {{"a", "as", "ax", "axe", "axis", "bos", "boss", "evening", "ga", "gas", "hour", "hours",
        "march", "marche", "number", "offer", "owner", "route", "site"},
       {"be", "change", "even", "find", "found", "make", "march", "offer", "rout", "route", "sit"},
       {"changed", "mad", "made", "numb", "number", "off", "own"},
       {}}};
  const std::array<std::vector<std::pair<std::string, std::string>>, 4> exceptions{
      {{{"axes", "ax"}, {"axes", "axis"}, {"gas", "gas"}},
       {{"found", "find"}, {"is", "be"}, {"made", "make"}},
       {{"number", "number"}, {"offer", "off"}, {"owner", "owner"}},
       {}}};
  // clang-format off
  const std::map<std::pair<std::size_t, std::string>, std::uint32_t> counts{
      {{0, "a"}, 13}, {{0, "ax"}, 2}, {{0, "axe"}, 8}, {{0, "axis"}, 6}, {{0, "bos"}, 50},
      {{0, "evening"}, 38}, {{0, "ga"}, 50}, {{0, "hour"}, 115}, {{0, "hours"}, 12},
      {{0, "march"}, 39}, {{1, "march"}, 38}, {{0, "number"}, 10}, {{2, "numb"}, 30},
      {{2, "own"}, 259}, {{0, "offer"}, 4}, {{1, "offer"}, 150}, {{2, "off"}, 4},
      {{0, "route"}, 13}, {{1, "rout"}, 1}, {{0, "site"}, 52}, {{1, "sit"}, 185},
      {{1, "change"}, 148}, {{2, "changed"}, 8}, {{2, "mad"}, 31}, {{2, "made"}, 4},
      {{1, "find"}, 705}, {{1, "found"}, 13}, {{1, "be"}, 10000}};
  // (word, lemma, lemma from the older table)
  const std::vector<std::array<const char*, 3>> cases{
      {"gas", "gas", "gas"}, {"owner", "owner", "owner"},  // an exception to itself
      {"number", "number", "number"},
      {"boss", "boss", "boss"}, {"as", "as", "as"},         // no noun rule
      {"found", "find", "found"}, {"is", "be", "be"},       // an exception, by count
      {"offer", "offer", "offer"},                          // an exception outweighed
      {"axes", "axis", "ax"},                                // an exception stops the rules
      {"changed", "change", "changed"}, {"hours", "hour", "hours"},  // a base before the word
      {"evening", "evening", "evening"},                    // a base never tagged as reached
      {"marches", "march", "marche"}, {"routed", "route", "route"},  // bases by their counts
      {"sites", "site", "site"}, {"madest", "mad", "mad"}};  // as spelt
  // clang-format on
  const auto tagger = WordNetLemmaTagger::fromBytes(lemmaTable(lemmas, exceptions, counts));
  const auto older = WordNetLemmaTagger::fromBytes(lemmaTable(lemmas, exceptions, std::nullopt));
  ASSERT_TRUE(tagger != nullptr && older != nullptr);
  for (const auto& [word, lemma, olderLemma] : cases) {
    EXPECT_EQ(tagger->lemma(word), lemma) << word;
    EXPECT_EQ(older->lemma(word), olderLemma) << word;
  }
  EXPECT_EQ(tagger->dictionaryForm("Gas"), std::nullopt);  // taken as given
}

TEST(LanguageDataTest, DamagedOrForeignTablesAreRefusedOrAnswerNothing) {
  const auto lemmas = extractTable(lemmaFileName);
  const auto neighbours = extractTable(neighbourFileName);
  ASSERT_TRUE(lemmas.size() > dataHeaderSize && neighbours.size() > dataHeaderSize);
  EXPECT_NE(WordNetLemmaTagger::fromBytes(lemmas), nullptr);
  // Cut short, a byte of the body changed, or another kind of table: refused at open.
  EXPECT_EQ(WordNetLemmaTagger::fromBytes({lemmas.begin(), lemmas.end() - 1}), nullptr);
  auto flipped = lemmas;
  flipped.at(flipped.size() - 1) ^= 1;
  EXPECT_EQ(WordNetLemmaTagger::fromBytes(flipped), nullptr);
  EXPECT_EQ(WordNetLemmaTagger::fromBytes(neighbours), nullptr);
  EXPECT_EQ(WordNetEmbedding::fromBytes(lemmas), nullptr);
  EXPECT_EQ(WordNetEmbedding::fromBytes({neighbours.begin(), neighbours.begin() + 100}), nullptr);
  EXPECT_EQ(WordNetEmbedding::fromBytes({}), nullptr);
  // A body that fails its checksum passes the header and answers nothing, also later.
  auto damaged = neighbours;
  damaged[damaged.size() - 3] ^= 0x40;
  const auto embedding = WordNetEmbedding::fromBytes(damaged);
  ASSERT_NE(embedding, nullptr);
  EXPECT_TRUE(embedding->neighbours("invoice", 12).empty());
  EXPECT_TRUE(embedding->neighbours("bill", 12).empty());
  // A lemma file opens by its header; a body that fails its checksum answers nothing.
  testing::TemporaryDirectory files;
  write(files.path() / lemmaFileName, flipped);
  const auto tagger = WordNetLemmaTagger::open(files.path() / lemmaFileName);
  ASSERT_NE(tagger, nullptr);
  EXPECT_EQ(tagger->lemma("ran"), std::nullopt);
  EXPECT_TRUE(tagger->baseForms("invoices").empty());

  // The data folder is a process setting; a folder without tables has neither.
  testing::TemporaryDirectory folder;
  setDataDirectory(folder.path());
  EXPECT_EQ(WordEmbedding::forLanguage("en"), nullptr);
  EXPECT_EQ(LemmaTagger::standard(), nullptr);
  // A caller can tell, and which file it was.
  EXPECT_EQ(dataProblem(),
            "No English lemmas or word neighbours: " + (folder.path() / lemmaFileName).string() +
                " is missing and " + (folder.path() / neighbourFileName).string() + " is missing.");
  write(folder.path() / neighbourFileName, neighbours);
  write(folder.path() / lemmaFileName, lemmas);
  EXPECT_EQ(dataProblem(), std::nullopt);
  ASSERT_NE(WordEmbedding::forLanguage("en"), nullptr);
  // The English embedding reaches an inflected word through the folder's lemmas.
  EXPECT_EQ(WordEmbedding::forLanguage("en")->neighbours("invoices", 1),
            (std::vector<Neighbour>{{"invoice", 0}}));
  EXPECT_EQ(WordEmbedding::forLanguage("en"), WordEmbedding::forLanguage("en"));
  EXPECT_EQ(WordEmbedding::forLanguage("de"), nullptr);
  ASSERT_NE(LemmaTagger::standard(), nullptr);
  EXPECT_EQ(LemmaTagger::standard()->lemma("invoices"), "invoice");
  setDataDirectory(built);
}

// Runs `check` in a child process and tells whether it returned true there; a crash or a wait
// that the alarm ends is false, so a reader that blocks fails instead of hanging the run.
::testing::AssertionResult inChild(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(10);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) {
    return ::testing::AssertionFailure() << "no child";
  }
  if (WIFSIGNALED(status)) {
    return ::testing::AssertionFailure() << "killed by " << strsignal(WTERMSIG(status));
  }
  if (WEXITSTATUS(status) != 0) return ::testing::AssertionFailure() << "a check failed";
  return ::testing::AssertionSuccess();
}

// Readers refuse, without waiting, what cannot be a table: they read regular files only, and
// only up to the size a table can have.
TEST(LanguageDataTest, ReadsOnlyRegularFilesOfATablesSize) {
  const auto lemmas = extractTable(lemmaFileName);
  const auto neighbours = extractTable(neighbourFileName);
  struct Case {
    const char* name;
    std::function<void(const std::filesystem::path&, const std::vector<std::uint8_t>&)> place;
  };
  const std::vector<Case> cases{
      {"a FIFO", [](const auto& path, const auto&) { ::mkfifo(path.c_str(), 0600); }},
      {"a folder", [](const auto& path, const auto&) { std::filesystem::create_directory(path); }},
      {"the table followed by zeros",
       [](const auto& path, const auto& table) {
         write(path, table);
         std::filesystem::resize_file(path, WordNetEmbedding::fileSizeLimit + 1);
       }},
  };
  for (const Case& shape : cases) {
    testing::TemporaryDirectory folder;
    const auto lemmaPath = folder.path() / lemmaFileName;
    const auto neighbourPath = folder.path() / neighbourFileName;
    shape.place(lemmaPath, lemmas);
    shape.place(neighbourPath, neighbours);
    EXPECT_TRUE(inChild([&] {
      setDataDirectory(folder.path());
      return LemmaTagger::standard() == nullptr && WordEmbedding::forLanguage("en") == nullptr &&
             WordNetLemmaTagger::open(lemmaPath) == nullptr &&
             WordNetEmbedding::open(neighbourPath) == nullptr;
    })) << shape.name;

    // Put in place of a table between its opening and its first query: opening read only the
    // header, so the first query reads what is there now.
    testing::TemporaryDirectory later;
    const auto path = later.path() / neighbourFileName;
    const auto lemmaLater = later.path() / lemmaFileName;
    write(path, neighbours);
    write(lemmaLater, lemmas);
    const auto embedding = WordNetEmbedding::open(path);
    const auto tagger = WordNetLemmaTagger::open(lemmaLater);
    ASSERT_NE(embedding, nullptr);
    ASSERT_NE(tagger, nullptr);
    std::filesystem::remove(path);
    std::filesystem::remove(lemmaLater);
    shape.place(path, neighbours);
    shape.place(lemmaLater, lemmas);
    EXPECT_TRUE(inChild([&] { return embedding->neighbours("invoice", 12).empty(); }))
        << shape.name;
    EXPECT_TRUE(inChild([&] { return !tagger->lemma("ran"); })) << shape.name;
  }
  setDataDirectory(built);
}

// A reinstall or a copy over the tables cuts them short, or fills them with something else,
// while the process has them open: answers stay as they were, and nothing crashes.
TEST(LanguageDataTest, TablesChangedOnDiskAfterOpeningChangeNothing) {
  testing::TemporaryDirectory folder;
  const auto lemmaPath = folder.path() / lemmaFileName;
  const auto neighbourPath = folder.path() / neighbourFileName;
  write(lemmaPath, extractTable(lemmaFileName));
  write(neighbourPath, extractTable(neighbourFileName));
  const std::vector<std::size_t> keptSizes{0, 1, dataHeaderSize, 4096};
  for (const std::size_t kept : keptSizes) {
    EXPECT_TRUE(inChild([&] {
      const auto tagger = WordNetLemmaTagger::open(lemmaPath);
      const auto embedding = WordNetEmbedding::open(neighbourPath);
      if (tagger == nullptr || embedding == nullptr) return false;
      const auto before = embedding->neighbours("statement", 12);
      const auto ran = tagger->lemma("ran");
      std::filesystem::resize_file(lemmaPath, kept);
      std::filesystem::resize_file(neighbourPath, kept);
      const bool same = tagger->lemma("ran") == ran && tagger->lemma("geese") == std::nullopt &&
                        embedding->neighbours("statement", 12) == before &&
                        embedding->neighbours("invoice", 12).size() == 2;
      return same && ran == "run" && before.size() == 2;
    })) << "cut to "
        << kept << " bytes";
    write(lemmaPath, extractTable(lemmaFileName));
    write(neighbourPath, extractTable(neighbourFileName));
  }
}

class RealTables : public ::testing::Test {
 protected:
  void SetUp() override {
    embedding_ = WordNetEmbedding::open(built / neighbourFileName);
    tagger_ = WordNetLemmaTagger::open(built / lemmaFileName);
    if (embedding_ == nullptr || tagger_ == nullptr)
      GTEST_SKIP() << "no WordNet tables in " << built;
  }
  std::set<std::string> words(std::string_view word) const {
    std::set<std::string> out;
    for (const Neighbour& n : embedding_->neighbours(word, 12)) out.insert(n.word);
    return out;
  }
  std::shared_ptr<const WordNetEmbedding> embedding_;
  std::shared_ptr<const WordNetLemmaTagger> tagger_;
};

TEST_F(RealTables, LemmasAndNeighboursOfEnglish) {
  EXPECT_EQ(tagger_->lemma("invoices"), "invoice");
  EXPECT_EQ(tagger_->lemma("ran"), "run");
  EXPECT_EQ(tagger_->lemma("invoice"), "invoice");
  EXPECT_TRUE(words("invoice").contains("bill"));
  EXPECT_TRUE(words("password").contains("countersign"));
  EXPECT_TRUE(words("laptop").contains("notebook"));
  EXPECT_TRUE(embedding_->neighbours("the", 1).empty());
  EXPECT_TRUE(embedding_->neighbours("invoices", 12).empty());  // opened without morphology

  for (const char* word : {"invoice", "password", "laptop", "bill", "run", "deck", "quote"}) {
    const auto list = embedding_->neighbours(word, 12);
    EXPECT_FALSE(list.empty()) << word;
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_TRUE(list[i].distance >= 0 && list[i].distance < 1) << word;
      if (i > 0) {
        EXPECT_LE(list[i - 1].distance, list[i].distance) << word;
      }
      for (const Neighbour& back : embedding_->neighbours(list[i].word, 12)) {
        if (back.word == word) {
          EXPECT_NEAR(back.distance, list[i].distance, 1e-6) << word << " " << list[i].word;
        }
      }
    }
  }
}

// Everyday inflections give their dictionary form, though WordNet's texts tagged many of them as
// adjectives or nouns in their own right ("scheduled", "hours"); words that are no inflection
// keep themselves, though a rule would make another word of them.
TEST_F(RealTables, EverydayFormsGiveTheirBaseAndWordsKeepThemselves) {
  const std::vector<std::pair<const char*, const char*>> lemmas{
      {"scheduled", "schedule"}, {"changed", "change"},   {"hours", "hour"},
      {"receipts", "receipt"},   {"booked", "book"},      {"fixed", "fix"},
      {"closed", "close"},       {"opened", "open"},      {"used", "use"},
      {"tested", "test"},        {"falling", "fall"},     {"answering", "answer"},
      {"continued", "continue"}, {"routed", "route"},     {"physics", "physics"},
      {"species", "species"},    {"evening", "evening"},  {"offer", "offer"},
      {"data", "data"},          {"customer", "customer"}};
  for (const auto& [form, lemma] : lemmas) EXPECT_EQ(tagger_->lemma(form), lemma) << form;
}

// Everyday words the first differing base form read wrongly, each with an answer of WordNet's
// morphology or of an English lemmatizer; and inflected forms, which reach their word's
// neighbours through it.
TEST_F(RealTables, ADictionaryWordKeepsItselfAndAnInflectedFormReachesItsWord) {
  const std::vector<std::pair<const char*, std::set<std::string>>> lemmas{
      {"customer", {"customer"}},
      {"number", {"number"}},
      {"owner", {"owner"}},
      {"offer", {"offer"}},
      {"guest", {"guest"}},
      {"matter", {"matter"}},
      {"gas", {"gas"}},
      {"boss", {"boss"}},
      {"pass", {"pass"}},
      {"species", {"species"}},
      {"evening", {"evening"}},
      {"as", {"as"}},
      {"is", {"be", "is"}},
      {"marches", {"march", "marches"}},
      {"swinging", {"swing", "swinging"}}};
  for (const auto& [form, answers] : lemmas) {
    const auto lemma = tagger_->lemma(form);
    EXPECT_TRUE(lemma && answers.contains(*lemma)) << form << " gives " << lemma.value_or("none");
  }

  const auto english = WordNetEmbedding::open(built / neighbourFileName, tagger_);
  ASSERT_NE(english, nullptr);
  const std::vector<std::array<const char*, 3>> forms{{"bikes", "bike", "bicycle"},
                                                      {"invoices", "invoice", "bill"},
                                                      {"cars", "car", "auto"},
                                                      {"meetings", "meeting", "conclave"},
                                                      {"children", "child", "tiddler"}};
  for (const auto& [form, word, nearest] : forms) {
    std::vector<Neighbour> expected{{word, 0}};
    for (Neighbour& each : embedding_->neighbours(word, 11)) expected.push_back(std::move(each));
    const auto list = english->neighbours(form, 12);
    EXPECT_EQ(list, expected) << form;
    ASSERT_GE(list.size(), 2u) << form;
    EXPECT_EQ(list[1].word, nearest) << form;
  }
  EXPECT_EQ(english->neighbours("bikes", 1), (std::vector<Neighbour>{{"bike", 0}}));
  EXPECT_EQ(english->neighbours("bike", 12), embedding_->neighbours("bike", 12));
  // No dictionary form, one the list lacks ("x-ray"), or a word not as given: none.
  for (const char* word : {"qxzzys", "x-rays", "Bikes"}) {
    EXPECT_TRUE(english->neighbours(word, 12).empty()) << word;
  }
}

}  // namespace
}  // namespace kelvo::language
