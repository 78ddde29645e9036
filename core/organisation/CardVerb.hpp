#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The commands a card's context menu may offer. Titles, icons and what each does are the
/// host's; sets of verbs are unordered. It has no coded form.
enum class CardVerb : std::uint8_t {
  use,
  copy,
  show,
  share,
  beam,
  pin,
  unpin,
  moveToShelf,
  duplicate,
  select,
  delete_,  // "delete"; the name is a keyword here
  fillAndCopy,
  open,
};

template <>
struct RawValues<CardVerb> {
  static constexpr std::array<std::pair<CardVerb, std::string_view>, 13> table{{
      {CardVerb::use, "use"},
      {CardVerb::copy, "copy"},
      {CardVerb::show, "show"},
      {CardVerb::share, "share"},
      {CardVerb::beam, "beam"},
      {CardVerb::pin, "pin"},
      {CardVerb::unpin, "unpin"},
      {CardVerb::moveToShelf, "moveToShelf"},
      {CardVerb::duplicate, "duplicate"},
      {CardVerb::select, "select"},
      {CardVerb::delete_, "delete"},
      {CardVerb::fillAndCopy, "fillAndCopy"},
      {CardVerb::open, "open"},
  }};
};

using CardVerbs = std::set<CardVerb>;

}  // namespace kelvo
