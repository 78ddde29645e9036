#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/remote/CardEnvelope.hpp"
#include "core/remote/LibraryPage.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::Remote {

/// What the controller asks of the host's library. Written in the single-key form: one member
/// named after the case whose object holds the carried values under their labels ("_0" for the
/// one unlabelled value of `keepText`). What the host does for each is its own affair.
struct Command {
  struct Library {
    std::int64_t offset = 0;
    friend bool operator==(const Library&, const Library&) = default;
  };
  struct ReadFile {
    UUID id;
    friend bool operator==(const ReadFile&, const ReadFile&) = default;
  };
  struct CreateCard {
    std::string title;
    std::string text;
    std::optional<UUID> shelfID;
    friend bool operator==(const CreateCard& a, const CreateCard& b);
  };
  struct UpdateCard {
    UUID id;
    std::string title;
    std::string text;
    std::optional<UUID> shelfID;
    /// The controller's copy of the card the edit starts from.
    std::optional<LibraryCard> expected;
    friend bool operator==(const UpdateCard& a, const UpdateCard& b);
  };
  struct TrashCard {
    UUID id;
    friend bool operator==(const TrashCard&, const TrashCard&) = default;
  };
  struct RestoreCard {
    UUID id;
    friend bool operator==(const RestoreCard&, const RestoreCard&) = default;
  };
  struct CreateShelf {
    std::string name;
    friend bool operator==(const CreateShelf& a, const CreateShelf& b);
  };
  struct CopyToClipboard {
    CardEnvelope card;
    friend bool operator==(const CopyToClipboard&, const CopyToClipboard&) = default;
  };
  struct PasteIntoFrontmostApp {
    CardEnvelope card;
    friend bool operator==(const PasteIntoFrontmostApp&, const PasteIntoFrontmostApp&) = default;
  };
  struct KeepText {
    std::string text;
    friend bool operator==(const KeepText& a, const KeepText& b);
  };
  struct KeepFile {
    std::string filename;
    Bytes data;
    friend bool operator==(const KeepFile& a, const KeepFile& b);
  };
  struct ShowCard {
    CardEnvelope card;
    friend bool operator==(const ShowCard&, const ShowCard&) = default;
  };

  using Value =
      std::variant<Library, ReadFile, CreateCard, UpdateCard, TrashCard, RestoreCard, CreateShelf,
                   CopyToClipboard, PasteIntoFrontmostApp, KeepText, KeepFile, ShowCard>;
  Value value;

  /// The case keys, in case order.
  static const std::array<std::string_view, 12> caseNames;

  /// The notice the host shows, fixed English: "Kept “a.pdf” from your iPhone".
  std::string hostDescription() const;
  /// True for `pasteIntoFrontmostApp` only.
  bool requiresMac() const;

  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; none or several case keys is a type mismatch for
  /// "Remote.Command" described "Invalid number of keys found, expected one.".
  static Command decode(const JSONReader& reader);

  friend bool operator==(const Command&, const Command&) = default;
};

}  // namespace kelvo::Remote
