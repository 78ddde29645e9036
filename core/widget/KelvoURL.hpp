#pragma once

// Deep links into the application: built from a destination for the platform to open, and read
// back, leniently, when the application is opened with one, so that a link typed by hand still
// works; a text in a link reads back exactly as it went in:
//
//   const std::optional<URL> link = KelvoURL::card(id).url();  // kelvo://card/E621E1F8-…
//   const std::optional<KelvoURL> opened = KelvoURL::parse("KELVO://search?q=tax%20%26%20vat");
//   const KelvoURL::Search* search = opened ? opened->as<KelvoURL::Search>() : nullptr;

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/foundation/URL.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The application's own link, of the scheme "kelvo": where the widget's tiles, the widget
/// snapshot's card rows and the tutorials send the user in the application.
class KelvoURL {
 public:
  /// Open the card with this identifier.
  struct Card {
    UUID id;
    friend bool operator==(const Card&, const Card&) = default;
  };
  /// Keep something; with a text, keep that text.
  struct Keep {
    std::optional<std::string> text;
    friend bool operator==(const Keep&, const Keep&) = default;
  };
  /// Fill a form with the card of this identifier.
  struct Fill {
    UUID cardID;
    friend bool operator==(const Fill&, const Fill&) = default;
  };
  /// Search the library for the query.
  struct Search {
    std::string query;
    friend bool operator==(const Search&, const Search&) = default;
  };
  /// Show the card of this identifier.
  struct Show {
    UUID cardID;
    friend bool operator==(const Show&, const Show&) = default;
  };
  /// Open form filling without a chosen card.
  struct FillForm {
    friend bool operator==(const FillForm&, const FillForm&) = default;
  };
  using Value = std::variant<Card, Keep, Fill, Search, Show, FillForm>;

  static constexpr std::string_view scheme = "kelvo";

  KelvoURL(Value value) : value_(std::move(value)) {}
  static KelvoURL card(UUID id) { return KelvoURL(Card{id}); }
  static KelvoURL keep(std::optional<std::string> text = std::nullopt) {
    return KelvoURL(Keep{std::move(text)});
  }
  static KelvoURL fill(UUID cardID) { return KelvoURL(Fill{cardID}); }
  static KelvoURL search(std::string query) { return KelvoURL(Search{std::move(query)}); }
  static KelvoURL show(UUID cardID) { return KelvoURL(Show{cardID}); }
  static KelvoURL fillForm() { return KelvoURL(FillForm{}); }

  /// Reads a link leniently: the scheme and the kind of link in any letter case, the kind in
  /// the host or first in the path, an identifier or text in the path or in a query item.
  /// None for a link it cannot understand.
  static std::optional<KelvoURL> parse(const URL& url);
  /// The same, from text; none when the text is not a URL.
  static std::optional<KelvoURL> parse(std::string_view text);

  /// The link of this destination: "kelvo://card/<ID>", "kelvo://fill", "kelvo://search?q=…",
  /// with identifiers in upper case and query values encoded so they read back unchanged. None
  /// only if no URL can be formed.
  std::optional<URL> url() const;

  const Value& value() const { return value_; }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&value_);
  }

  friend bool operator==(const KelvoURL&, const KelvoURL&) = default;

 private:
  Value value_;
};

}  // namespace kelvo
