// The usage examples at the top of the language layer's headers, run as written.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/language/LanguageData.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

namespace kelvo {
namespace {

// The data folder is a process setting: each test puts back the one it found.
class DataFolder {
 public:
  explicit DataFolder(const std::filesystem::path& folder) { language::setDataDirectory(folder); }
  ~DataFolder() { language::setDataDirectory(before_); }
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

 private:
  std::filesystem::path before_ = language::dataDirectory();
};

const std::filesystem::path extract = KELVO_LANGUAGE_EXTRACT_DATA;

TEST(LanguageData, APIExamples) {
  DataFolder restored(language::dataDirectory());

  language::setDataDirectory("/opt/kelvo/share/kelvo/language");
  const std::optional<std::string> problem = language::dataProblem();  // none when both opened
  const auto english = language::WordEmbedding::forLanguage("en");     // null without its table

  EXPECT_EQ(problem,
            "No English lemmas or word neighbours: /opt/kelvo/share/kelvo/language/"
            "en-lemmas.kelvo is missing and /opt/kelvo/share/kelvo/language/"
            "en-neighbours.kelvo is missing.");
  EXPECT_EQ(english, nullptr);
  language::setDataDirectory(extract);
  EXPECT_EQ(language::dataProblem(), std::nullopt);
}

TEST(LemmaTagger, APIExamples) {
  DataFolder folder(extract);

  const auto tagger = language::LemmaTagger::standard();
  const auto lemma = tagger ? tagger->lemma("Invoices due") : std::nullopt;  // "invoice"
  const auto past = tagger ? tagger->lemma("ran") : std::nullopt;            // "run"

  EXPECT_EQ(lemma, "invoice");
  EXPECT_EQ(past, "run");
}

TEST(WordEmbedding, APIExamples) {
  DataFolder folder(extract);

  std::vector<language::Neighbour> near;
  if (const auto english = language::WordEmbedding::forLanguage("en"))
    near = english->neighbours("invoice", 12);  // "bill" first, at most 12

  ASSERT_EQ(near.size(), 2u);
  EXPECT_EQ(near[0].word, "bill");
  EXPECT_LE(near[0].distance, near[1].distance);
}

}  // namespace
}  // namespace kelvo
