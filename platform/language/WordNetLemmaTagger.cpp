#include "platform/language/WordNetLemmaTagger.hpp"

#include <map>
#include <mutex>
#include <utility>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"
#include "platform/language/LanguageData.hpp"

namespace kelvo::language {
namespace {

// The string table, the four parts of speech's lemmas, then their four exception lists.
constexpr std::array<std::uint32_t, 9> recordSizes{0, 4, 4, 4, 4, 8, 8, 8, 8};

std::optional<DataHeader> headerOf(ByteView prefix, std::uint64_t size) {
  return DataHeader::read(prefix, size, WordNetLemmaTagger::magic, recordSizes);
}

struct Rule {
  std::string_view ending;
  std::string_view replacement;
};

constexpr std::array<Rule, 8> nounRules{{{"s", ""},
                                         {"ses", "s"},
                                         {"xes", "x"},
                                         {"zes", "z"},
                                         {"ches", "ch"},
                                         {"shes", "sh"},
                                         {"men", "man"},
                                         {"ies", "y"}}};
constexpr std::array<Rule, 8> verbRules{{{"s", ""},
                                         {"ies", "y"},
                                         {"es", "e"},
                                         {"es", ""},
                                         {"ed", "e"},
                                         {"ed", ""},
                                         {"ing", "e"},
                                         {"ing", ""}}};
constexpr std::array<Rule, 4> adjectiveRules{{{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}}};

std::span<const Rule> rulesOf(WordNetLemmaTagger::PartOfSpeech part) {
  switch (part) {
    case WordNetLemmaTagger::PartOfSpeech::noun:
      return nounRules;
    case WordNetLemmaTagger::PartOfSpeech::verb:
      return verbRules;
    case WordNetLemmaTagger::PartOfSpeech::adjective:
      return adjectiveRules;
    case WordNetLemmaTagger::PartOfSpeech::adverb:
      break;
  }
  return {};
}

// The first run of letters and digits of `text`, as bytes of it.
std::string_view firstWord(std::string_view text) {
  std::size_t start = text.size();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t here = at;
    const bool inWord = text::isMember(nextScalar(text, at), text::CharacterClass::alphanumeric);
    if (inWord && start == text.size()) start = here;
    if (!inWord && start != text.size()) return text.substr(start, here - start);
  }
  return text.substr(start);
}

}  // namespace

std::shared_ptr<const WordNetLemmaTagger> WordNetLemmaTagger::open(
    const std::filesystem::path& path) {
  auto table = TableFile::open(path, fileSizeLimit, headerOf);
  if (table == nullptr) return nullptr;
  return std::shared_ptr<const WordNetLemmaTagger>(new WordNetLemmaTagger(std::move(table)));
}

std::shared_ptr<const WordNetLemmaTagger> WordNetLemmaTagger::fromBytes(
    std::vector<std::uint8_t> bytes) {
  auto table = TableFile::held(std::move(bytes), headerOf);
  if (table == nullptr || table->bytes() == nullptr) return nullptr;
  return std::shared_ptr<const WordNetLemmaTagger>(new WordNetLemmaTagger(std::move(table)));
}

ByteView WordNetLemmaTagger::section(ByteView all, std::size_t index) const {
  const DataSection& found = table_->header().sections[index];
  return all.subspan(found.offset, found.size);
}

bool WordNetLemmaTagger::lists(ByteView all, PartOfSpeech part, std::string_view word) const {
  const ByteView strings = section(all, 0);
  const ByteView lemmas = section(all, 1 + static_cast<std::size_t>(part));
  std::size_t low = 0;
  std::size_t high = lemmas.size() / 4;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const auto text = tableString(strings, readU32(lemmas, 4 * middle));
    if (!text) return false;
    const int order = text->compare(word);
    if (order == 0) return true;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return false;
}

void WordNetLemmaTagger::addExceptions(ByteView all, PartOfSpeech part, std::string_view word,
                                       std::vector<std::string>& out) const {
  const ByteView strings = section(all, 0);
  const ByteView pairs = section(all, 5 + static_cast<std::size_t>(part));
  const std::size_t count = pairs.size() / 8;
  // The first pair whose inflected form is not before `word`, then every pair of that form.
  std::size_t low = 0;
  std::size_t high = count;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const auto text = tableString(strings, readU32(pairs, 8 * middle));
    if (!text) return;
    if (*text < word) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  for (std::size_t at = low; at < count; ++at) {
    const auto inflected = tableString(strings, readU32(pairs, 8 * at));
    const auto base = tableString(strings, readU32(pairs, 8 * at + 4));
    if (!inflected || !base || *inflected != word) return;
    if (lists(all, part, *base)) out.emplace_back(*base);
  }
}

std::vector<std::string> WordNetLemmaTagger::baseForms(std::string_view word) const {
  std::vector<std::string> forms;
  const FileBytes* file = table_->bytes();
  if (file == nullptr) return forms;
  const ByteView all = file->bytes();
  for (const PartOfSpeech part :
       {PartOfSpeech::noun, PartOfSpeech::verb, PartOfSpeech::adjective, PartOfSpeech::adverb}) {
    addExceptions(all, part, word, forms);
    if (lists(all, part, word)) forms.emplace_back(word);
    for (const Rule& rule : rulesOf(part)) {
      if (word.size() <= rule.ending.size() || !word.ends_with(rule.ending)) continue;
      std::string base(word.substr(0, word.size() - rule.ending.size()));
      base += rule.replacement;
      if (lists(all, part, base)) forms.push_back(std::move(base));
    }
  }
  return forms;
}

std::optional<std::string> WordNetLemmaTagger::lemma(std::string_view text) const {
  const std::string word = text::lowercased(firstWord(text));
  if (word.empty()) return std::nullopt;
  const std::vector<std::string> forms = baseForms(word);
  if (forms.empty()) return std::nullopt;
  for (const std::string& form : forms) {
    if (form != word) return form;
  }
  return word;
}

std::shared_ptr<const LemmaTagger> LemmaTagger::standard() {
  static std::mutex mutex;
  static std::map<std::filesystem::path, std::shared_ptr<const WordNetLemmaTagger>> opened;
  const std::filesystem::path path = dataDirectory() / lemmaFileName;
  const std::lock_guard lock(mutex);
  auto& held = opened[path];
  if (held == nullptr) held = WordNetLemmaTagger::open(path);
  return held;
}

}  // namespace kelvo::language
