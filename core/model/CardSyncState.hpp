#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// Where a card stands in syncing, stored by raw value.
enum class CardSyncState : std::uint8_t { synced, pendingPush, localOnly, failed };

template <>
struct RawValues<CardSyncState> {
  // The sync state offers no list of its cases.
  static constexpr bool iterable = false;
  static constexpr std::array<std::pair<CardSyncState, std::string_view>, 4> table{{
      {CardSyncState::synced, "synced"},
      {CardSyncState::pendingPush, "pendingPush"},
      {CardSyncState::localOnly, "localOnly"},
      {CardSyncState::failed, "failed"},
  }};
};

}  // namespace kelvo
