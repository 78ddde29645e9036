#pragma once

// The limits of a card kept from a calendar event or a Reminders-app task, and the cuts that keep
// to them. Counts are in characters; a cut never splits one:
//
//   const std::string longTitle(150, 'x');
//   const std::string title = KeptItemLimits::cardTitle(longTitle);  // its first 120 characters
//   const auto notes = KeptItemLimits::notes(" \n Call back \n");  // "Call back"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

/// The limits of a card kept from a calendar event or a Reminders-app task, and the cuts that
/// keep to them. Counts are in characters; a cut never splits one.
struct KeptItemLimits {
  static constexpr std::size_t titleLimit = 120;
  static constexpr std::size_t notesLimit = 19'000;
  static constexpr std::size_t payloadLimit = 20'000;
  /// What follows notes that were cut.
  static constexpr std::string_view notesMarker =
      "\n\n[Notes were longer than a card can hold, so they stop here.]";

  /// The first `titleLimit` characters.
  static std::string cardTitle(std::string_view title);
  /// The notes trimmed of white space and line breaks; none when that leaves nothing; past
  /// `notesLimit` characters, the first `notesLimit` followed by `notesMarker`.
  static std::optional<std::string> notes(std::string_view notes);
  /// The first `payloadLimit` characters, without a marker.
  static std::string payload(std::string payload);
};

}  // namespace kelvo
