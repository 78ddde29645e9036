#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/model/CardType.hpp"

namespace kelvo {

/// The rules an edit of a card's title and text is judged by before anything is written.
/// Characters are user-perceived characters. Pure: nothing is read from or written to a store.
struct CardEdit {
  /// The most characters a title may hold after trimming.
  static constexpr std::int64_t titleLimit = 200;
  /// The most characters the text of a text or fact card may hold, as typed.
  static constexpr std::int64_t textLimit = 100'000;

  /// Why an edit may not be saved.
  struct Refusal {
    enum class Field { title, text };

    struct TitleTooLong {
      /// Characters in the trimmed title.
      std::int64_t count;
      std::int64_t limit;
      friend bool operator==(const TitleTooLong&, const TitleTooLong&) = default;
    };
    struct TextTooLong {
      /// Characters in the text as typed.
      std::int64_t count;
      std::int64_t limit;
      friend bool operator==(const TextTooLong&, const TextTooLong&) = default;
    };
    struct EmptyText {
      friend bool operator==(const EmptyText&, const EmptyText&) = default;
    };

    std::variant<TitleTooLong, TextTooLong, EmptyText> value;

    static Refusal titleTooLong(std::int64_t count, std::int64_t limit) {
      return {TitleTooLong{count, limit}};
    }
    static Refusal textTooLong(std::int64_t count, std::int64_t limit) {
      return {TextTooLong{count, limit}};
    }
    static Refusal emptyText() { return {EmptyText{}}; }

    /// The whole sentence to show, localised.
    std::string message() const;
    /// The field the refusal is about.
    Field field() const {
      return std::holds_alternative<TitleTooLong>(value) ? Field::title : Field::text;
    }

    friend bool operator==(const Refusal&, const Refusal&) = default;
  };

  /// Whether a card's text is edited with its title: for text and fact cards, not for those
  /// whose payload is bytes.
  static bool editsText(CardType type) { return !carriesBytes(type); }

  /// What stops the edit, or none: the trimmed title first, then (for text and fact cards) an
  /// empty trimmed text, then the text as typed, blanks at its ends included.
  static std::optional<Refusal> refusal(CardType type, std::string_view title,
                                        std::string_view text);

  /// The typed title trimmed, or the generated title unchanged when that leaves nothing.
  static std::string resolvedTitle(std::string_view title, std::string_view generated);
  /// The typed text trimmed.
  static std::string resolvedText(std::string_view text);

  /// Whether saving would change the card; the text of a card that carries bytes is ignored.
  static bool changes(CardType type, std::string_view currentTitle, std::string_view currentText,
                      std::string_view generatedTitle, std::string_view title,
                      std::string_view text);
};

/// What an edit came to.
struct CardEditOutcome {
  /// Written, with the title the card was saved with.
  struct Saved {
    std::string title;
    friend bool operator==(const Saved&, const Saved&) = default;
  };
  /// Turned down; nothing was written.
  struct Refused {
    CardEdit::Refusal refusal;
    friend bool operator==(const Refused&, const Refused&) = default;
  };
  /// Nothing changed, so nothing was written.
  struct Unchanged {
    friend bool operator==(const Unchanged&, const Unchanged&) = default;
  };

  std::variant<Saved, Refused, Unchanged> value;

  static CardEditOutcome saved(std::string title) { return {Saved{std::move(title)}}; }
  static CardEditOutcome refused(CardEdit::Refusal refusal) {
    return {Refused{std::move(refusal)}};
  }
  static CardEditOutcome unchanged() { return {Unchanged{}}; }

  friend bool operator==(const CardEditOutcome&, const CardEditOutcome&) = default;
};

}  // namespace kelvo
