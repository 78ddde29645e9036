#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/CardType.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

namespace search_internal {
class CardBody;
}

/// The flat, immutable record of one card on which search, filters and ranking work. It owns
/// its texts and stays valid after the store has changed. Copies share one frozen body, so
/// handing records around (and returning them from a search) costs no text copies; the views
/// its accessors return live as long as any copy does.
class SearchableCard {
 public:
  class Tags;

  /// Every field of a record, by name. The texts are copied into the record, not kept.
  struct Fields {
    UUID id{};
    CardType type = CardType::text;
    std::string_view title{};
    std::string_view content{};
    std::string_view extractedText{};
    std::vector<std::string> autoTags{};
    std::string_view shelfName{};
    std::string_view projectName{};
    std::optional<std::string_view> factLabel{};
    std::optional<std::string_view> sourceApp{};
    std::int64_t useCount = 0;
    std::optional<Date> lastUsedAt{};
  };

  /// Name the fields; every one left out takes the value shown, which rarely suits `id`:
  ///
  ///   SearchableCard record({.id = card.id(), .type = card.type(), .title = card.title(),
  ///                          .content = card.payload(), .shelfName = "Unsorted"});
  explicit SearchableCard(const Fields& fields)
      : SearchableCard(fields.id, fields.type, fields.title, fields.content, fields.extractedText,
                       fields.autoTags, fields.shelfName, fields.projectName, fields.factLabel,
                       fields.sourceApp, fields.useCount, fields.lastUsedAt) {}
  /// The same, field by field in the order of `Fields`.
  SearchableCard(UUID id, CardType type, std::string_view title, std::string_view content,
                 std::string_view extractedText, const std::vector<std::string>& autoTags,
                 std::string_view shelfName, std::string_view projectName,
                 std::optional<std::string_view> factLabel,
                 std::optional<std::string_view> sourceApp, std::int64_t useCount,
                 std::optional<Date> lastUsedAt);

  SearchableCard(const SearchableCard& other) noexcept;
  SearchableCard(SearchableCard&& other) noexcept : pieces_(other.pieces_) {
    other.pieces_ = nullptr;
  }
  SearchableCard& operator=(const SearchableCard& other) noexcept {
    SearchableCard(other).swap(*this);
    return *this;
  }
  SearchableCard& operator=(SearchableCard&& other) noexcept {
    SearchableCard(std::move(other)).swap(*this);
    return *this;
  }
  ~SearchableCard() {
    if (pieces_ != nullptr) release();
  }

  const UUID& id() const { return head().id; }
  CardType type() const { return head().type; }
  std::string_view title() const { return shortText(title_); }
  std::string_view content() const;
  std::string_view extractedText() const;
  inline Tags autoTags() const;
  std::string_view shelfName() const { return shortText(shelfName_); }
  std::string_view projectName() const { return shortText(projectName_); }
  std::optional<std::string_view> factLabel() const {
    if (!given(factLabel_)) return std::nullopt;
    return shortText(factLabel_);
  }
  std::optional<std::string_view> sourceApp() const {
    if (!given(sourceApp_)) return std::nullopt;
    return shortText(sourceApp_);
  }
  std::int64_t useCount() const { return head().useCount; }
  std::optional<Date> lastUsedAt() const {
    if ((head().flags & lastUsedAtGiven) == 0) return std::nullopt;
    return head().lastUsedAt;
  }

  /// Asks the processor to start loading the card's leading fields. Loops over many cards call
  /// it a few cards ahead, so that the misses overlap instead of waiting one after another.
  void prefetch() const {
    __builtin_prefetch(pieces_);
    __builtin_prefetch(reinterpret_cast<const std::byte*>(pieces_) + 64);
  }

  /// A text card whose content names at least one `{name}` blank.
  bool hasVariables() const;
  /// A text card whose content is a web link by the system's one link test.
  bool isLink() const;

  /// All twelve fields equal; texts by canonical equivalence.
  friend bool operator==(const SearchableCard& a, const SearchableCard& b);

  void swap(SearchableCard& other) noexcept { std::swap(pieces_, other.pieces_); }
  friend void swap(SearchableCard& a, SearchableCard& b) noexcept { a.swap(b); }

 private:
  friend class search_internal::CardBody;

  // What passes over a whole library read of every card, without a call: the fixed fields, which
  // open the card's first piece, and the short texts, which close it. The long texts and tags in
  // a second piece, the count of copies and the memory belong to search_internal::CardBody.
  struct Head {
    std::uint32_t tagCount;
    CardType type;
    std::uint8_t flags;  // `Flag`s
    std::int64_t useCount;
    Date lastUsedAt;
    UUID id;
  };
  enum ShortText : std::uint32_t {
    title_,
    shelfName_,
    projectName_,
    factLabel_,
    sourceApp_,
    shortTextCount_
  };
  // Bit k says short text k was given; the last bit is the pieces' own.
  enum Flag : std::uint8_t {
    lastUsedAtGiven = 1 << shortTextCount_,
    wideShortEnds = 2 << shortTextCount_
  };
  // The head and the pieces' own fields, after which the short texts lie.
  static constexpr std::size_t fixedSize = 56;

  // A run of `count` texts as a piece keeps them: where each ends (16-bit, or 32-bit if `wide`),
  // then the texts back to back.
  static std::string_view inRun(const std::byte* run, std::uint32_t count, bool wide,
                                std::uint32_t k) {
    const auto endOf = [run, wide](std::uint32_t i) -> std::uint32_t {
      if (wide) {
        std::uint32_t end;
        std::memcpy(&end, run + 4 * std::size_t{i}, sizeof end);
        return end;
      }
      std::uint16_t end;
      std::memcpy(&end, run + 2 * std::size_t{i}, sizeof end);
      return end;
    };
    const std::uint32_t start = k == 0 ? 0 : endOf(k - 1);
    const char* texts = reinterpret_cast<const char*>(run) + std::size_t{count} * (wide ? 4 : 2);
    return {texts + start, endOf(k) - start};
  }

  // The pieces are a standard-layout class whose first member is their head, so the two
  // addresses are interchangeable.
  static const Head& head(const search_internal::CardBody* pieces) {
    return *reinterpret_cast<const Head*>(pieces);
  }
  const Head& head() const { return head(pieces_); }
  bool given(ShortText k) const { return (head().flags & (1U << k)) != 0; }
  std::string_view shortText(ShortText k) const {
    return inRun(reinterpret_cast<const std::byte*>(pieces_) + fixedSize, shortTextCount_,
                 (head().flags & wideShortEnds) != 0, k);
  }
  static std::string_view tag(const search_internal::CardBody* pieces, std::uint32_t i);

  void release() noexcept;

  search_internal::CardBody* pieces_;
};

/// A card's tags in order: a random-access range of views into the card.
class SearchableCard::Tags {
 public:
  class iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using iterator_concept = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using reference = std::string_view;
    using pointer = void;

    iterator() = default;
    std::string_view operator*() const { return SearchableCard::tag(pieces_, i_); }
    std::string_view operator[](difference_type n) const { return *(*this + n); }
    iterator& operator++() { return ++i_, *this; }
    iterator operator++(int) { return {pieces_, i_++}; }
    iterator& operator--() { return --i_, *this; }
    iterator operator--(int) { return {pieces_, i_--}; }
    iterator& operator+=(difference_type n) {
      i_ = static_cast<std::uint32_t>(i_ + n);
      return *this;
    }
    iterator& operator-=(difference_type n) { return *this += -n; }
    friend iterator operator+(iterator it, difference_type n) { return it += n; }
    friend iterator operator+(difference_type n, iterator it) { return it += n; }
    friend iterator operator-(iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(iterator a, iterator b) {
      return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
    }
    friend bool operator==(iterator a, iterator b) { return a.i_ == b.i_; }
    friend auto operator<=>(iterator a, iterator b) { return a.i_ <=> b.i_; }

   private:
    friend class Tags;
    iterator(const search_internal::CardBody* pieces, std::uint32_t i) : pieces_(pieces), i_(i) {}
    const search_internal::CardBody* pieces_ = nullptr;
    std::uint32_t i_ = 0;
  };

  iterator begin() const { return {pieces_, 0}; }
  iterator end() const { return {pieces_, SearchableCard::head(pieces_).tagCount}; }
  std::size_t size() const { return SearchableCard::head(pieces_).tagCount; }
  bool empty() const { return size() == 0; }
  std::string_view operator[](std::size_t i) const {
    return SearchableCard::tag(pieces_, static_cast<std::uint32_t>(i));
  }

 private:
  friend class SearchableCard;
  explicit Tags(const search_internal::CardBody* pieces) : pieces_(pieces) {}
  const search_internal::CardBody* pieces_;
};

inline SearchableCard::Tags SearchableCard::autoTags() const { return Tags(pieces_); }

}  // namespace kelvo

template <>
struct std::hash<kelvo::SearchableCard> {
  /// Covers all twelve fields, consistent with canonical equality.
  size_t operator()(const kelvo::SearchableCard& card) const noexcept;
};
