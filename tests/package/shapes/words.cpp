#include "words.hpp"

#include "platform/foundation/UserDefaults.hpp"
#include "platform/language/LanguageData.hpp"
#include "platform/language/LemmaTagger.hpp"

namespace words {

std::optional<std::string> rememberLemma(const std::string& word,
                                         const std::filesystem::path& settings) {
  const auto tagger = kelvo::language::LemmaTagger::standard();
  if (tagger == nullptr) return std::nullopt;
  std::optional<std::string> lemma = tagger->lemma(word);
  if (lemma) {
    kelvo::UserDefaults defaults(settings);
    defaults.set("lemma", *lemma);
  }
  return lemma;
}

std::string tablesProblem() { return kelvo::language::dataProblem().value_or(""); }

}  // namespace words
