#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CardType.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The flat, immutable record of one card on which search, filters and ranking work. It owns
/// its texts and stays valid after the store has changed. Copies share one frozen body, so
/// handing records around (and returning them from a search) costs no text copies.
class SearchableCard {
 public:
  SearchableCard(UUID id, CardType type, std::string title, std::string content,
                 std::string extractedText, std::vector<std::string> autoTags,
                 std::string shelfName, std::string projectName,
                 std::optional<std::string> factLabel, std::optional<std::string> sourceApp,
                 std::int64_t useCount, std::optional<Date> lastUsedAt);

  const UUID& id() const { return body_->id; }
  CardType type() const { return body_->type; }
  const std::string& title() const { return body_->title; }
  const std::string& content() const { return body_->content; }
  const std::string& extractedText() const { return body_->extractedText; }
  const std::vector<std::string>& autoTags() const { return body_->autoTags; }
  const std::string& shelfName() const { return body_->shelfName; }
  const std::string& projectName() const { return body_->projectName; }
  const std::optional<std::string>& factLabel() const { return body_->factLabel; }
  const std::optional<std::string>& sourceApp() const { return body_->sourceApp; }
  std::int64_t useCount() const { return body_->useCount; }
  const std::optional<Date>& lastUsedAt() const { return body_->lastUsedAt; }

  /// Asks the processor to start loading the card's leading fields. Loops over many cards call
  /// it a few cards ahead, so that the misses overlap instead of waiting one after another.
  void prefetch() const {
    __builtin_prefetch(body_.get());
    __builtin_prefetch(&body_->title);
  }

  /// A text card whose content names at least one `{name}` blank.
  bool hasVariables() const;
  /// A text card whose content is a web link by the system's one link test.
  bool isLink() const;

  /// All twelve fields equal; texts by canonical equivalence.
  friend bool operator==(const SearchableCard& a, const SearchableCard& b);

 private:
  // What filters and sorts read of every card comes first, within 64 bytes: a pass over many
  // cards then waits for at most two cache lines per card, and bodies lie side by side.
  struct Body {
    CardType type;
    std::int64_t useCount;
    std::optional<Date> lastUsedAt;
    std::string title;
    UUID id;
    std::optional<std::string> sourceApp;
    std::string shelfName;
    std::string content;
    std::string extractedText;
    std::vector<std::string> autoTags;
    std::string projectName;
    std::optional<std::string> factLabel;
  };
  static_assert(offsetof(Body, title) + sizeof(std::string) <= 64);
  friend struct std::hash<SearchableCard>;

  std::shared_ptr<const Body> body_;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SearchableCard> {
  /// Covers all twelve fields, consistent with canonical equality.
  size_t operator()(const kelvo::SearchableCard& card) const noexcept;
};
