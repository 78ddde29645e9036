#include "core/search/SearchTokenizer.hpp"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

struct ScalarRange {
  char32_t first;
  char32_t last;
};

// Scripts written without spaces between words: each of their letters is a term.
constexpr std::array<ScalarRange, 6> standAloneRanges{{
    {0x3040, 0x30FF},    // Hiragana and Katakana
    {0x3400, 0x4DBF},    // CJK Unified Ideographs Extension A
    {0x4E00, 0x9FFF},    // CJK Unified Ideographs
    {0xAC00, 0xD7AF},    // Hangul Syllables
    {0xF900, 0xFAFF},    // CJK Compatibility Ideographs
    {0x20000, 0x2FA1F},  // supplementary ideographs up to the Compatibility Supplement
}};

bool inStandAloneRange(char32_t scalar) {
  for (const auto& range : standAloneRanges) {
    if (scalar >= range.first && scalar <= range.last) return true;
  }
  return false;
}

bool lookUpWordScalar(char32_t scalar) {
  return text::isMember(scalar, text::CharacterClass::alphabetic) ||
         text::isMember(scalar, text::CharacterClass::numeric);
}

// The basic plane is looked up in two bit tables built once; the rest asks ICU each time.
struct PlaneTables {
  std::bitset<0x10000> word;
  std::bitset<0x10000> alone;
};

const PlaneTables& planeTables() {
  static const std::unique_ptr<const PlaneTables> tables = [] {
    auto built = std::make_unique<PlaneTables>();
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (!lookUpWordScalar(c)) continue;
      built->word.set(c);
      if (inStandAloneRange(c)) built->alone.set(c);
    }
    return built;
  }();
  return *tables;
}

// What each byte is to the scan: a separator (an ASCII scalar that is no letter or digit), a
// lower-case letter or digit, an upper-case letter, or part of a scalar outside ASCII.
enum ByteKind : unsigned char { separator = 0, lowerOrDigit = 1, upper = 2, nonASCII = 4 };

constexpr std::array<unsigned char, 256> byteKinds = [] {
  std::array<unsigned char, 256> table{};
  for (int c = '0'; c <= '9'; ++c) table[c] = lowerOrDigit;
  for (int c = 'a'; c <= 'z'; ++c) table[c] = lowerOrDigit;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = upper;
  for (int c = 0x80; c < 0x100; ++c) table[c] = nonASCII;
  return table;
}();

}  // namespace

bool SearchTokenizer::isWordScalar(char32_t scalar) {
  if (scalar < 0x10000) return planeTables().word.test(scalar);
  return scalar <= 0x10FFFF && lookUpWordScalar(scalar);
}

bool SearchTokenizer::standsAlone(char32_t scalar) {
  if (scalar < 0x10000) return planeTables().alone.test(scalar);
  return scalar <= 0x10FFFF && inStandAloneRange(scalar) && lookUpWordScalar(scalar);
}

std::vector<std::string> SearchTokenizer::terms(std::string_view text) {
  std::vector<std::string> terms;
  forEachTerm(text, [&terms](std::string_view term) { terms.emplace_back(term); });
  return terms;
}

// Folding is local: case folding maps each scalar alone, and removing marks and recomposing
// never reaches across an ASCII space or punctuation mark (they are starters that compose
// with nothing a letter could come from). So the text is cut at those, pure ASCII pieces
// are lower-cased in place, and only pieces holding other scalars go through the folding of
// the text library. The result is the same as folding the whole text first.
void SearchTokenizer::run(std::string_view text, Memo* memo, Emitter emit, void* context) {
  std::string term;
  std::string folded;
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    if (byteKinds[static_cast<unsigned char>(text[i])] == separator) {
      ++i;
      continue;
    }
    const size_t start = i;
    unsigned kinds = 0;
    for (; i < size; ++i) {
      const unsigned kind = byteKinds[static_cast<unsigned char>(text[i])];
      if (kind == separator) break;
      kinds |= kind;
    }
    const std::string_view piece = text.substr(start, i - start);
    if (kinds == lowerOrDigit) {
      emit(context, piece);
    } else if ((kinds & nonASCII) == 0) {
      term.assign(piece);
      for (char& c : term) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
      }
      emit(context, term);
      term.clear();
    } else if (memo != nullptr && piece.size() <= Memo::longestWord) {
      splitRemembered(piece, *memo, term, emit, context);
    } else {
      folded = text::folded(piece);
      splitFolded(folded, term, emit, context);
    }
  }
}

void SearchTokenizer::splitFolded(std::string_view folded, std::string& term, Emitter emit,
                                  void* context) {
  term.clear();
  size_t i = 0;
  while (i < folded.size()) {
    const size_t start = i;
    const char32_t scalar = nextScalar(folded, i);
    if (!isWordScalar(scalar)) {
      if (!term.empty()) emit(context, term);
      term.clear();
    } else if (standsAlone(scalar)) {
      if (!term.empty()) emit(context, term);
      term.assign(folded.substr(start, i - start));
      emit(context, term);
      term.clear();
    } else {
      term.append(folded.substr(start, i - start));
    }
  }
  if (!term.empty()) emit(context, term);
  term.clear();
}

std::optional<std::string_view> SearchTokenizer::Memo::find(std::string_view word,
                                                            std::size_t hash) const {
  if (buckets_.empty()) return std::nullopt;
  const std::size_t mask = buckets_.size() - 1;
  for (std::size_t i = hash & mask; buckets_[i] != 0; i = (i + 1) & mask) {
    const Entry& entry = entries_[buckets_[i] - 1];
    if (entry.hash == hash && std::string_view(text_).substr(entry.at, entry.wordSize) == word) {
      return termsOf(entry);
    }
  }
  return std::nullopt;
}

std::string_view SearchTokenizer::Memo::remember(std::string_view word, std::size_t hash,
                                                 std::string_view terms) {
  // Folding at most triples a word's bytes, and each term adds a NUL: the sizes fit.
  static_assert(longestWord * 6 <= UINT16_MAX);
  if (entries_.size() >= capacity_ || text_.size() > UINT32_MAX - word.size() - terms.size()) {
    buckets_.clear();
    entries_.clear();
    text_.clear();
  }
  if ((entries_.size() + 1) * 2 > buckets_.size()) {
    buckets_.assign(std::max<std::size_t>(64, buckets_.size() * 2), 0);
    const std::size_t mask = buckets_.size() - 1;
    for (std::uint32_t n = 0; n < entries_.size(); ++n) {
      std::size_t i = entries_[n].hash & mask;
      while (buckets_[i] != 0) i = (i + 1) & mask;
      buckets_[i] = n + 1;
    }
  }
  const Entry& entry = entries_.emplace_back(Entry{hash, static_cast<std::uint32_t>(text_.size()),
                                                   static_cast<std::uint16_t>(word.size()),
                                                   static_cast<std::uint16_t>(terms.size())});
  text_.append(word).append(terms);
  const std::size_t mask = buckets_.size() - 1;
  std::size_t i = hash & mask;
  while (buckets_[i] != 0) i = (i + 1) & mask;
  buckets_[i] = static_cast<std::uint32_t>(entries_.size());
  return termsOf(entry);
}

void SearchTokenizer::splitRemembered(std::string_view piece, Memo& memo, std::string& term,
                                      Emitter emit, void* context) {
  const std::size_t hash = std::hash<std::string_view>{}(piece);
  std::optional<std::string_view> joined = memo.find(piece, hash);
  if (!joined) {
    std::string terms;
    splitFolded(
        text::folded(piece), term,
        [](void* into, std::string_view folded) {
          static_cast<std::string*>(into)->append(folded).push_back('\0');
        },
        &terms);
    joined = memo.remember(piece, hash, terms);
  }
  for (std::size_t start = 0; start < joined->size();) {
    const std::size_t end = joined->find('\0', start);
    emit(context, joined->substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace kelvo
