#pragma once

// The rows of an import as the sheet shows them: each snippet's title, content hash and
// whether it becomes a new card or is skipped, and why. A value: it never touches the store;
// what it knows of the library is the map of kept cards' content hashes. The user may leave
// out any new row before the cards are made:
//
//     ImportPlan plan = ImportPlan::make(parsed.snippets, hashes, destination, parsed.format,
//                                        parsed.sourceName, UUID::random());
//     plan.setIncluded(false, 3);
//     for (const ImportPlan::Row& row : plan.includedRows()) keep(row.title, row.snippet.body);

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "core/import/ImportDestination.hpp"
#include "core/import/ImportFormat.hpp"
#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The rows of an import as the sheet shows them, and which of them become cards.
class ImportPlan {
 public:
  struct Status {
    struct New {
      friend bool operator==(const New&, const New&) = default;
    };
    /// A kept card has this content.
    struct AlreadyInKelvo {
      UUID card;
      friend bool operator==(const AlreadyInKelvo&, const AlreadyInKelvo&) = default;
    };
    /// Repeats an earlier row of this import; `of` is that row's id.
    struct DuplicateInFile {
      std::int64_t of;
      friend bool operator==(const DuplicateInFile&, const DuplicateInFile&) = default;
    };
    struct Empty {
      friend bool operator==(const Empty&, const Empty&) = default;
    };
    /// More than the text-card limit of characters.
    struct TooLong {
      friend bool operator==(const TooLong&, const TooLong&) = default;
    };

    std::variant<New, AlreadyInKelvo, DuplicateInFile, Empty, TooLong> value;

    static Status new_() { return {New{}}; }
    static Status alreadyInKelvo(const UUID& card) { return {AlreadyInKelvo{card}}; }
    static Status duplicateInFile(std::int64_t of) { return {DuplicateInFile{of}}; }
    static Status empty() { return {Empty{}}; }
    static Status tooLong() { return {TooLong{}}; }

    bool isNew() const { return std::holds_alternative<New>(value); }
    friend bool operator==(const Status&, const Status&) = default;
  };

  struct Row {
    /// The snippet's position in the import, from 0; also the row's index in `rows()`.
    std::int64_t id;
    /// As read, with its body trimmed of white space and line breaks.
    ImportedSnippet snippet;
    std::string title;
    /// The content hash a text card with the trimmed body has.
    std::string contentHash;
    Status status;
    bool included = false;

    bool canToggle() const { return status.isNew(); }
    friend bool operator==(const Row&, const Row&) = default;
  };

  struct Summary {
    std::int64_t total = 0;
    std::int64_t new_ = 0;
    std::int64_t included = 0;
    std::int64_t alreadyInKelvo = 0;
    /// Repeated, empty and too-long rows.
    std::int64_t skipped = 0;

    std::int64_t requested() const { return included; }
    friend bool operator==(const Summary&, const Summary&) = default;
  };

  /// Content hash of each kept card → that card's id.
  using Hashes = std::unordered_map<std::string, UUID>;

  /// Every new row starts included.
  static ImportPlan make(const std::vector<ImportedSnippet>& snippets, Hashes existingHashes,
                         ImportDestination destination, ImportFormat format, std::string sourceName,
                         const UUID& id);

  const UUID& id() const { return id_; }
  ImportFormat format() const { return format_; }
  const std::string& sourceName() const { return sourceName_; }
  const ImportDestination& destination() const { return destination_; }
  void setDestination(ImportDestination destination) { destination_ = std::move(destination); }
  const std::vector<Row>& rows() const { return rows_; }

  /// Switches a new row on or off; any other row, or an id out of range, is left alone.
  void setIncluded(bool included, std::int64_t rowID);
  std::vector<Row> includedRows() const;
  Summary summary() const;

  friend bool operator==(const ImportPlan&, const ImportPlan&) = default;

 private:
  ImportPlan(const UUID& id, ImportFormat format, std::string sourceName,
             ImportDestination destination, Hashes existingHashes)
      : id_(id),
        format_(format),
        sourceName_(std::move(sourceName)),
        destination_(std::move(destination)),
        existingHashes_(std::move(existingHashes)) {}

  void replan(const std::vector<bool>& tooLong);

  UUID id_;
  ImportFormat format_;
  std::string sourceName_;
  ImportDestination destination_;
  std::vector<Row> rows_;
  Hashes existingHashes_;
  std::set<std::int64_t> excluded_;
};

}  // namespace kelvo
