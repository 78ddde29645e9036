#pragma once

// Creating and opening smart shelves in the caller's context. Nothing is saved: the caller
// saves when it is ready.
//
//   const auto addUntouched = [](data::Context& context, Date now) -> std::string {
//     const SmartShelfCriteria untouched(SmartShelfCriteria::currentVersion, std::nullopt,
//                                        CardPredicate::neverUsed(), CardSort::title);
//     const auto made = SmartShelfOrganiser::create("Untouched", untouched, context, now);
//     const auto* refused = std::get_if<ShelfRefusal>(&made);
//     return refused ? refused->message() : "";  // the sentence to show when refused
//   };

#include <memory>
#include <string>
#include <variant>

#include "core/organisation/ShelfRefusal.hpp"
#include "core/search/SavedSearch.hpp"
#include "core/search/SmartShelfCriteria.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

class SmartShelf;
namespace data {
class Context;
}

/// A new, inserted, unsaved smart shelf, or why none was made.
using SmartShelfCreation = std::variant<std::shared_ptr<SmartShelf>, ShelfRefusal>;

namespace SmartShelfOrganiser {

/// Refuses with `smartShelfCapReached` when the context already holds `SmartShelf::maximumCount`
/// smart shelves (pending inserts count, pending deletes do not) and inserts nothing. Otherwise
/// inserts one with a fresh identifier, the name as given, created `now`, one past the largest
/// sort index (0 when none; held at the largest integer) and the criteria's document.
SmartShelfCreation create(std::string name, const SmartShelfCriteria& criteria,
                          data::Context& context, Date now);

/// The saved search the smart shelf stands for, or `criteriaAreUnreadable`.
std::variant<SavedSearch, ShelfRefusal> open(const SmartShelf& shelf);

}  // namespace SmartShelfOrganiser
}  // namespace kelvo
