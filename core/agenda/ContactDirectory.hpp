#pragma once

// The contacts list: how many contacts it reads, their order, the search over them and the texts of
// a cut, empty or fruitless list:
//
//   const std::vector<ContactSnapshot> contacts{{.id = "C2", .formattedName = "Ben Ode"},
//                                               {.id = "C1", .formattedName = "Ann Lee"}};
//   const auto sorted = ContactDirectory::sorted(contacts);  // Ann Lee, Ben Ode
//   const auto shown = ContactDirectory::matching("lee", sorted);  // Ann Lee
//   const std::string none = ContactDirectory::noMatchesExplanation("zed");  // names “zed”

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/agenda/ContactSnapshot.hpp"

namespace kelvo {

/// The contacts list: how many contacts it reads, their order, the search over them and the
/// texts of a cut, empty or fruitless list.
struct ContactDirectory {
  static constexpr std::int64_t fetchLimit = 5'000;

  /// By display name in the current locale ignoring case, then by identifier.
  static std::vector<ContactSnapshot> sorted(std::span<const ContactSnapshot> contacts);
  /// The contacts whose name, company, job title, nickname, e-mail or postal address holds the
  /// trimmed query (ignoring case and diacritics), or whose phone digits hold the query's
  /// digits; all of them for a blank query. The given order is kept.
  static std::vector<ContactSnapshot> matching(std::string_view query,
                                               std::span<const ContactSnapshot> contacts);
  /// The line under a list showing `shown` of `total` contacts; none when none is hidden.
  static std::optional<std::string> truncationNotice(std::int64_t shown, std::int64_t total);
  /// What an empty directory says; localised.
  static std::string emptyExplanation();
  /// What a search without results says, naming the trimmed query; localised.
  static std::string noMatchesExplanation(std::string_view query);
};

}  // namespace kelvo
