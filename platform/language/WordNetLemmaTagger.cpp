#include "platform/language/WordNetLemmaTagger.hpp"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"
#include "platform/language/LanguageData.hpp"

namespace kelvo::language {
namespace {

// The string table, the four parts of speech's lemmas, their four exception lists, then the
// tag counts; a file of the earlier layout ends before the counts.
constexpr std::array<std::uint32_t, 10> recordSizes{0, 4, 4, 4, 4, 8, 8, 8, 8, 8};
constexpr std::size_t countSection = 9;

std::optional<DataHeader> headerOf(ByteView prefix, std::uint64_t size) {
  if (auto header = DataHeader::read(prefix, size, WordNetLemmaTagger::magic, recordSizes)) {
    return header;
  }
  return DataHeader::read(prefix, size, WordNetLemmaTagger::magic,
                          std::span(recordSizes).first(countSection));
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

bool isVowel(char letter) {
  return std::string_view("aeiou").find(letter) != std::string_view::npos;
}

// Whether English spelling writes `base` with `rule`'s ending as the word the rule undid: "sits"
// and "planned", not "sites" and "planed", so "sit" is an unlikely base of "sites" and "plan" of
// "planed". A base ending in one vowel and one consonant, with no other vowel, doubles the
// consonant; "es" follows a hissing sound or "o" only.
bool spelledSo(const Rule& rule, std::string_view base) {
  if (!rule.replacement.empty()) return true;
  if (rule.ending == "es") {
    return base.ends_with('s') || base.ends_with('x') || base.ends_with('z') ||
           base.ends_with("ch") || base.ends_with("sh") || base.ends_with('o');
  }
  if (rule.ending != "ed" && rule.ending != "ing" && rule.ending != "er" && rule.ending != "est") {
    return true;
  }
  const std::size_t size = base.size();
  if (size < 3 || isVowel(base[size - 1]) ||
      std::string_view("wxy").find(base[size - 1]) != std::string_view::npos ||
      !isVowel(base[size - 2]) || isVowel(base[size - 3])) {
    return true;
  }
  return std::count_if(base.begin(), base.end() - 2, isVowel) > 0;
}

// The first run of letters and digits of `text`, as bytes of it.
std::string_view firstWord(std::string_view text) {
  std::size_t start = text.size();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t here = at;
    // An ASCII byte is a scalar of its own; its letters and digits are its alphanumerics.
    const auto byte = static_cast<unsigned char>(text[at]);
    bool inWord = false;
    if (byte < 0x80) {
      ++at;
      inWord =
          static_cast<unsigned>((byte | 0x20) - 'a') < 26 || static_cast<unsigned>(byte - '0') < 10;
    } else {
      inWord = text::isMember(nextScalar(text, at), text::CharacterClass::alphanumeric);
    }
    if (inWord && start == text.size()) start = here;
    if (!inWord && start != text.size()) return text.substr(start, here - start);
  }
  return text.substr(start);
}

std::size_t letterCount(std::string_view word) {
  return static_cast<std::size_t>(
      std::count_if(word.begin(), word.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

// The first of an exception list's pairs whose inflected form is not before `word`.
std::size_t firstException(ByteView strings, ByteView pairs, std::string_view word) {
  std::size_t low = 0;
  std::size_t high = pairs.size() / 8;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const auto text = tableString(strings, readU32(pairs, 8 * middle));
    if (!text) return pairs.size() / 8;
    if (*text < word) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace

struct WordNetLemmaTagger::Reading {
  std::string form;
  PartOfSpeech part;
  std::uint32_t position;  // in its part's lemmas
  bool byRule;
  bool spelledSo;  // false for a rule's base that spelling would have inflected otherwise
};

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

std::optional<std::uint32_t> WordNetLemmaTagger::position(ByteView all, PartOfSpeech part,
                                                          std::string_view word) const {
  const ByteView strings = section(all, 0);
  const ByteView lemmas = section(all, 1 + static_cast<std::size_t>(part));
  std::size_t low = 0;
  std::size_t high = lemmas.size() / 4;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const auto text = tableString(strings, readU32(lemmas, 4 * middle));
    if (!text) return std::nullopt;
    const int order = text->compare(word);
    if (order == 0) return static_cast<std::uint32_t>(middle);
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

std::uint64_t WordNetLemmaTagger::taggedCount(ByteView all, PartOfSpeech part,
                                              std::uint32_t position) const {
  const DataHeader& header = table_->header();
  if (header.sectionCount <= countSection) return 0;
  // Lemmas are numbered over the four parts' sections in order.
  std::uint64_t number = position;
  for (std::size_t before = 0; before < static_cast<std::size_t>(part); ++before) {
    number += header.sections[1 + before].count;
  }
  const ByteView counts = section(all, countSection);
  std::size_t low = 0;
  std::size_t high = counts.size() / 8;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const std::uint32_t at = readU32(counts, 8 * middle);
    if (at == number) return readU32(counts, 8 * middle + 4);
    if (at < number) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return 0;
}

bool WordNetLemmaTagger::addExceptions(ByteView all, PartOfSpeech part, std::string_view word,
                                       std::vector<Reading>& out) const {
  const ByteView strings = section(all, 0);
  const ByteView pairs = section(all, 5 + static_cast<std::size_t>(part));
  bool listed = false;
  for (std::size_t at = firstException(strings, pairs, word); at < pairs.size() / 8; ++at) {
    const auto inflected = tableString(strings, readU32(pairs, 8 * at));
    const auto base = tableString(strings, readU32(pairs, 8 * at + 4));
    if (!inflected || !base || *inflected != word) break;
    listed = true;
    if (const auto known = position(all, part, *base)) {
      out.push_back(Reading{std::string(*base), part, *known, false, true});
    }
  }
  return listed;
}

bool WordNetLemmaTagger::isVerbForm(ByteView all, std::string_view word) const {
  const ByteView strings = section(all, 0);
  const ByteView pairs = section(all, 5 + static_cast<std::size_t>(PartOfSpeech::verb));
  for (std::size_t at = firstException(strings, pairs, word); at < pairs.size() / 8; ++at) {
    const auto inflected = tableString(strings, readU32(pairs, 8 * at));
    const auto base = tableString(strings, readU32(pairs, 8 * at + 4));
    if (!inflected || !base || *inflected != word) break;
    if (*base != word) return true;
  }
  return false;
}

std::vector<WordNetLemmaTagger::Reading> WordNetLemmaTagger::readings(ByteView all,
                                                                      std::string_view word) const {
  std::vector<Reading> found;
  found.reserve(4);
  for (const PartOfSpeech part :
       {PartOfSpeech::noun, PartOfSpeech::verb, PartOfSpeech::adjective, PartOfSpeech::adverb}) {
    const bool excepted = addExceptions(all, part, word, found);
    if (const auto listed = position(all, part, word)) {
      found.push_back(Reading{std::string(word), part, *listed, false, true});
    }
    // As WordNet's own morphology reads its lists: an exception names all of a word's bases in
    // its part ("gas gas", "axes axis"), and "boss" and "as" are no plurals.
    if (excepted || (part == PartOfSpeech::noun &&
                     (word.ends_with("ss") || (word.size() <= 8 && letterCount(word) <= 2)))) {
      continue;
    }
    for (const Rule& rule : rulesOf(part)) {
      if (word.size() <= rule.ending.size() || !word.ends_with(rule.ending)) continue;
      std::string base(word.substr(0, word.size() - rule.ending.size()));
      base += rule.replacement;
      if (const auto listed = position(all, part, base)) {
        // A participle ("made") takes no -er or -est: "madest" is no form of it.
        const bool spelled =
            spelledSo(rule, base) && !(part == PartOfSpeech::adjective && isVerbForm(all, base));
        found.push_back(Reading{std::move(base), part, *listed, true, spelled});
      }
    }
  }
  return found;
}

std::vector<std::string> WordNetLemmaTagger::baseForms(std::string_view word) const {
  std::vector<std::string> forms;
  const FileBytes* file = table_->bytes();
  if (file == nullptr) return forms;
  for (Reading& reading : readings(file->bytes(), word)) forms.push_back(std::move(reading.form));
  return forms;
}

std::uint64_t WordNetLemmaTagger::lemmaCount(ByteView all, std::string_view form) const {
  std::uint64_t total = 0;
  for (const PartOfSpeech part :
       {PartOfSpeech::noun, PartOfSpeech::verb, PartOfSpeech::adjective, PartOfSpeech::adverb}) {
    if (const auto listed = position(all, part, form)) total += taggedCount(all, part, *listed);
  }
  return total;
}

std::optional<std::string> WordNetLemmaTagger::dictionaryForm(std::string_view word) const {
  const FileBytes* file = table_->bytes();
  if (file == nullptr || word.empty()) return std::nullopt;
  const ByteView all = file->bytes();
  std::vector<Reading> found = readings(all, word);
  if (found.empty()) return std::nullopt;
  if (std::all_of(found.begin() + 1, found.end(),
                  [&](const Reading& each) { return each.form == found.front().form; })) {
    return std::move(found.front().form);
  }
  // A misspelt base counts only when nothing else is left.
  if (std::any_of(found.begin(), found.end(), [](const Reading& each) { return each.spelledSo; })) {
    std::erase_if(found, [](const Reading& each) { return !each.spelledSo; });
  }
  const auto listedItself = std::find_if(found.begin(), found.end(),
                                         [&](const Reading& each) { return each.form == word; });
  if (table_->header().sectionCount <= countSection) {
    // Without counts a listed word keeps itself.
    return std::move(listedItself != found.end() ? *listedItself : found.front()).form;
  }
  // The word's own weight leaves out its adjective tags: an adjective "changed" or "limited" is
  // mostly its verb's participle, so those tags speak for the verb as much as for the word.
  std::uint64_t own = 0;
  for (const Reading& reading : found) {
    if (reading.form == word && reading.part != PartOfSpeech::adjective) {
      own += taggedCount(all, reading.part, reading.position);
    }
  }
  struct Base {
    std::string_view form;
    bool byException = false;
    bool taggedAsReached = false;
    std::uint64_t weight = 0;
  };
  std::vector<Base> bases;
  for (const Reading& reading : found) {
    if (reading.form == word) continue;
    auto known = std::find_if(bases.begin(), bases.end(),
                              [&](const Base& base) { return base.form == reading.form; });
    if (known == bases.end()) known = bases.insert(bases.end(), Base{reading.form});
    known->byException = known->byException || !reading.byRule;
    if (own > 0 && reading.byRule && !known->taggedAsReached) {
      known->taggedAsReached = taggedCount(all, reading.part, reading.position) > 0;
    }
  }
  // A rule's base never tagged in the part that reached it is an unrelated word beside one that
  // was: "evening" is no form of the verb "even", nor "species" of "specie".
  if (own > 0) {
    std::erase_if(bases,
                  [](const Base& base) { return !base.byException && !base.taggedAsReached; });
  }
  if (bases.empty()) return std::string(word);
  // A lemma's count covers all its forms and parts, so bases are weighed against each other;
  // only an exception's base is weighed against the word itself ("offer" is no "off"-er).
  if (bases.size() > 1 || (bases.front().byException && listedItself != found.end())) {
    for (Base& base : bases) base.weight = lemmaCount(all, base.form);
  }
  const auto heaviest = [](auto first, auto last) {
    return std::max_element(first, last,
                            [](const Base& a, const Base& b) { return a.weight < b.weight; });
  };
  auto best = heaviest(bases.begin(), bases.end());
  if (best->byException && listedItself != found.end() && own > best->weight) {
    std::erase_if(bases, [](const Base& base) { return base.byException; });
    if (bases.empty()) return std::string(word);
    best = heaviest(bases.begin(), bases.end());
  }
  return std::string(best->form);
}

std::optional<std::string> WordNetLemmaTagger::lemma(std::string_view text) const {
  return dictionaryForm(text::lowercased(firstWord(text)));
}

std::shared_ptr<const WordNetLemmaTagger> WordNetLemmaTagger::english() {
  static std::mutex mutex;
  static std::map<std::filesystem::path, std::shared_ptr<const WordNetLemmaTagger>> opened;
  const std::filesystem::path path = dataDirectory() / lemmaFileName;
  const std::lock_guard lock(mutex);
  auto& held = opened[path];
  if (held == nullptr) held = WordNetLemmaTagger::open(path);
  return held;
}

std::shared_ptr<const LemmaTagger> LemmaTagger::standard() { return WordNetLemmaTagger::english(); }

}  // namespace kelvo::language
