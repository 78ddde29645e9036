#pragma once

// Names one section of the library, a project's or the unsorted pile; its storage key keys the
// manual card order (CardOrder.hpp):
//
//   const UUID projectID = UUID::random();
//   const LibrarySectionID section = LibrarySectionID::project(projectID);
//   const std::string key = section.storageKey();  // the identifier's upper-case text
//   const auto pile = LibrarySectionID::fromStorageKey("unsorted");  // the unsorted pile

#include <compare>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class JSONReader;

/// Names one section of the library: a project's, or the pile of cards that belong to no known
/// project. Its storage key keys the manual card order, and is also its coded form.
class LibrarySectionID {
 public:
  struct Project {
    UUID id;
    friend constexpr auto operator<=>(const Project&, const Project&) = default;
  };
  struct Unsorted {
    friend constexpr auto operator<=>(const Unsorted&, const Unsorted&) = default;
  };
  using Case = std::variant<Project, Unsorted>;

  static constexpr std::string_view unsortedKey = "unsorted";

  constexpr LibrarySectionID(Project project) : case_(project) {}
  constexpr LibrarySectionID(Unsorted unsorted) : case_(unsorted) {}
  static constexpr LibrarySectionID project(const UUID& id) { return Project{id}; }
  static constexpr LibrarySectionID unsorted() { return Unsorted{}; }

  constexpr const Case& value() const { return case_; }
  constexpr bool isUnsorted() const { return std::holds_alternative<Unsorted>(case_); }
  /// The project's identifier; none for the unsorted pile.
  std::optional<UUID> projectID() const;

  /// "unsorted", or the project's upper-case identifier text.
  std::string storageKey() const;

  /// The section a storage key names: exactly "unsorted", or an identifier text in either case.
  static std::optional<LibrarySectionID> fromStorageKey(std::string_view key);
  /// Reads one string; any other text than a storage key is data corrupted.
  static LibrarySectionID decode(const JSONReader& reader);
  /// The same from JSON text (a bare string).
  static LibrarySectionID decode(std::string_view text);
  /// The JSON text: the storage key as a string.
  std::string encoded() const;

  friend constexpr bool operator==(const LibrarySectionID&, const LibrarySectionID&) = default;
  // Projects by identifier, then the unsorted pile.
  friend constexpr auto operator<=>(const LibrarySectionID&, const LibrarySectionID&) = default;

 private:
  Case case_;
};

void to_json(Json& json, const LibrarySectionID& section);

}  // namespace kelvo

template <>
struct std::hash<kelvo::LibrarySectionID> {
  size_t operator()(const kelvo::LibrarySectionID& section) const noexcept;
};
