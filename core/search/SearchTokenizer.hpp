#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kelvo {

/// The one word splitter of the system, behind `SearchIndex::tokenize`: folds case and
/// diacritics, keeps runs of letters and digits, and makes each ideograph, kana and Hangul
/// syllable a term of its own.
class SearchTokenizer {
 public:
  /// Remembers the terms of words outside ASCII, so that a word met again is not folded again:
  /// for splitting many texts that repeat their words (building an index). Its size is bounded;
  /// one memo serves one thread at a time.
  class Memo {
   public:
    static constexpr std::size_t defaultCapacity = 1u << 14;
    /// The longest word remembered, in bytes; longer runs are rare and seldom repeat.
    static constexpr std::size_t longestWord = 64;

    /// A memo of at most `capacity` words; when full, it forgets them all and starts again.
    explicit Memo(std::size_t capacity = defaultCapacity) : capacity_(capacity) {}

   private:
    friend class SearchTokenizer;
    struct Entry {
      std::size_t hash;
      std::uint32_t at;  // in `text_`: the word, then its terms
      std::uint16_t wordSize;
      std::uint16_t termsSize;
    };

    // The word's terms, each followed by a NUL (which no term holds), if remembered.
    std::optional<std::string_view> find(std::string_view word, std::size_t hash) const;
    std::string_view remember(std::string_view word, std::size_t hash, std::string_view terms);
    std::string_view termsOf(const Entry& entry) const {
      return std::string_view(text_).substr(entry.at + entry.wordSize, entry.termsSize);
    }

    // Open addressing over entry numbers plus one; zero is empty. At most half full.
    std::vector<std::uint32_t> buckets_;
    std::vector<Entry> entries_;
    std::string text_;
    std::size_t capacity_;
  };

  /// The terms of `text`, in order of appearance.
  static std::vector<std::string> terms(std::string_view text);

  /// Calls `emit(std::string_view)` with each term of `text` in order, without building a list.
  /// A view is valid only during its call.
  template <class Emit>
  static void forEachTerm(std::string_view text, Emit&& emit) {
    run(text, nullptr, &call<std::remove_reference_t<Emit>>, context(emit));
  }
  /// The same terms, with the folding of words outside ASCII looked up in `memo` first.
  template <class Emit>
  static void forEachTerm(std::string_view text, Memo& memo, Emit&& emit) {
    run(text, &memo, &call<std::remove_reference_t<Emit>>, context(emit));
  }

  /// A letter (Alphabetic) or a number (any Numeric_Type but None).
  static bool isWordScalar(char32_t scalar);
  /// A word scalar of the ideographic and syllabic ranges, each of which is a term by itself.
  static bool standsAlone(char32_t scalar);

 private:
  using Emitter = void (*)(void* context, std::string_view term);
  template <class Emit>
  static void* context(Emit& emit) {
    return const_cast<void*>(static_cast<const void*>(&emit));
  }
  template <class Emit>
  static void call(void* context, std::string_view term) {
    (*static_cast<Emit*>(context))(term);
  }
  static void run(std::string_view text, Memo* memo, Emitter emit, void* context);
  static void splitFolded(std::string_view folded, std::string& term, Emitter emit, void* context);
  static void splitRemembered(std::string_view piece, Memo& memo, std::string& term, Emitter emit,
                              void* context);
};

}  // namespace kelvo
