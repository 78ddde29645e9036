// Internal to core/organisation: include "core/organisation/CardOrganiser.hpp" instead.
#pragma once

#include <utility>
#include <vector>

#include "platform/foundation/UUID.hpp"

namespace kelvo::organisation_internal {

/// Cards of one group with the instant they are ordered by, in seconds; not a number counts as
/// earlier than every real instant.
using Pile = std::vector<std::pair<double, UUID>>;

/// The identifiers of `pile`, latest instant first, equal instants by the smaller identifier
/// (whose order is that of the upper-case text). Large piles are radix-sorted.
std::vector<UUID> latestFirst(const Pile& pile);

}  // namespace kelvo::organisation_internal
