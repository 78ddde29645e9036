#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/CardType.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

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

  SearchableCard(const SearchableCard& other) noexcept : body_(other.body_) { retain(); }
  SearchableCard(SearchableCard&& other) noexcept : body_(other.body_) { other.body_ = nullptr; }
  SearchableCard& operator=(const SearchableCard& other) noexcept {
    SearchableCard(other).swap(*this);
    return *this;
  }
  SearchableCard& operator=(SearchableCard&& other) noexcept {
    SearchableCard(std::move(other)).swap(*this);
    return *this;
  }
  ~SearchableCard() { release(); }

  const UUID& id() const { return body_->id; }
  CardType type() const { return body_->type; }
  std::string_view title() const { return text(title_); }
  std::string_view content() const { return text(content_); }
  std::string_view extractedText() const { return text(extractedText_); }
  inline Tags autoTags() const;
  std::string_view shelfName() const { return text(shelfName_); }
  std::string_view projectName() const { return text(projectName_); }
  std::optional<std::string_view> factLabel() const {
    if ((body_->present & hasFactLabel) == 0) return std::nullopt;
    return text(factLabel_);
  }
  std::optional<std::string_view> sourceApp() const {
    if ((body_->present & hasSourceApp) == 0) return std::nullopt;
    return text(sourceApp_);
  }
  std::int64_t useCount() const { return body_->useCount; }
  std::optional<Date> lastUsedAt() const {
    if ((body_->present & hasLastUsedAt) == 0) return std::nullopt;
    return body_->lastUsedAt;
  }

  /// Asks the processor to start loading the card's leading fields. Loops over many cards call
  /// it a few cards ahead, so that the misses overlap instead of waiting one after another.
  void prefetch() const {
    __builtin_prefetch(body_);
    __builtin_prefetch(reinterpret_cast<const std::byte*>(body_) + 64);
  }

  /// A text card whose content names at least one `{name}` blank.
  bool hasVariables() const;
  /// A text card whose content is a web link by the system's one link test.
  bool isLink() const;

  /// All twelve fields equal; texts by canonical equivalence.
  friend bool operator==(const SearchableCard& a, const SearchableCard& b);

  void swap(SearchableCard& other) noexcept { std::swap(body_, other.body_); }
  friend void swap(SearchableCard& a, SearchableCard& b) noexcept { a.swap(b); }

 private:
  // A card is two pieces. The first holds what filters, sorts and rankers read of every card:
  // the fixed fields, where each text ends (the seven texts, then every tag; 16-bit unless the
  // texts need more), and the short texts back to back. The second holds the long texts and
  // the tags, back to back, read when searching and testing the content.
  struct Body {
    std::atomic<std::uint32_t> references;
    std::uint32_t tagCount;
    CardType type;
    std::uint8_t present;
    std::uint16_t placement;      // where the allocator carved this piece from
    std::uint16_t textPlacement;  // and the other
    std::int64_t useCount;
    Date lastUsedAt;
    UUID id;
    const char* longTexts;
  };
  enum : std::uint8_t { hasFactLabel = 1, hasSourceApp = 2, hasLastUsedAt = 4, wideEnds = 8 };
  enum : std::uint32_t {
    title_,
    shelfName_,
    projectName_,
    factLabel_,
    sourceApp_,
    content_,  // the first long text: its piece's ends count from 0 again
    extractedText_,
    firstTag_
  };

  static unsigned endWidth(const Body* body) { return (body->present & wideEnds) != 0 ? 4 : 2; }
  static std::uint32_t endOf(const Body* body, std::uint32_t k) {
    const auto* ends = reinterpret_cast<const unsigned char*>(body + 1);
    if ((body->present & wideEnds) != 0) {
      std::uint32_t end;
      std::memcpy(&end, ends + 4 * std::size_t{k}, sizeof end);
      return end;
    }
    std::uint16_t end;
    std::memcpy(&end, ends + 2 * std::size_t{k}, sizeof end);
    return end;
  }
  static const char* shortTexts(const Body* body) {
    return reinterpret_cast<const char*>(body + 1) +
           std::size_t{firstTag_ + body->tagCount} * endWidth(body);
  }
  // Text k runs from where text k - 1 ends to where it ends itself, within its piece.
  static std::string_view text(const Body* body, std::uint32_t k) {
    const bool isShort = k < content_;
    const std::uint32_t start = k == 0 || k == content_ ? 0 : endOf(body, k - 1);
    return {(isShort ? shortTexts(body) : body->longTexts) + start, endOf(body, k) - start};
  }
  std::string_view text(std::uint32_t k) const { return text(body_, k); }

  void retain() const noexcept {
    if (body_ != nullptr) body_->references.fetch_add(1, std::memory_order_relaxed);
  }
  void release() noexcept;

  friend struct std::hash<SearchableCard>;

  Body* body_;
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
    std::string_view operator*() const { return SearchableCard::text(body_, k_); }
    std::string_view operator[](difference_type n) const { return *(*this + n); }
    iterator& operator++() { return ++k_, *this; }
    iterator operator++(int) { return {body_, k_++}; }
    iterator& operator--() { return --k_, *this; }
    iterator operator--(int) { return {body_, k_--}; }
    iterator& operator+=(difference_type n) {
      k_ = static_cast<std::uint32_t>(k_ + n);
      return *this;
    }
    iterator& operator-=(difference_type n) { return *this += -n; }
    friend iterator operator+(iterator it, difference_type n) { return it += n; }
    friend iterator operator+(difference_type n, iterator it) { return it += n; }
    friend iterator operator-(iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(iterator a, iterator b) {
      return static_cast<difference_type>(a.k_) - static_cast<difference_type>(b.k_);
    }
    friend bool operator==(iterator a, iterator b) { return a.k_ == b.k_; }
    friend auto operator<=>(iterator a, iterator b) { return a.k_ <=> b.k_; }

   private:
    friend class Tags;
    iterator(const Body* body, std::uint32_t k) : body_(body), k_(k) {}
    const Body* body_ = nullptr;
    std::uint32_t k_ = 0;  // the tag's place among all the card's texts
  };

  iterator begin() const { return {body_, firstTag_}; }
  iterator end() const { return {body_, firstTag_ + body_->tagCount}; }
  std::size_t size() const { return body_->tagCount; }
  bool empty() const { return body_->tagCount == 0; }
  std::string_view operator[](std::size_t i) const {
    return SearchableCard::text(body_, firstTag_ + static_cast<std::uint32_t>(i));
  }

 private:
  friend class SearchableCard;
  explicit Tags(const Body* body) : body_(body) {}
  const Body* body_;
};

inline SearchableCard::Tags SearchableCard::autoTags() const { return Tags(body_); }

}  // namespace kelvo

template <>
struct std::hash<kelvo::SearchableCard> {
  /// Covers all twelve fields, consistent with canonical equality.
  size_t operator()(const kelvo::SearchableCard& card) const noexcept;
};
