// Internal to core/import: include "core/import/PlaceholderTranslator.hpp" instead.
#pragma once

#include <string>
#include <vector>

#include "core/import/ImportFormat.hpp"
#include "core/import/ImportWarning.hpp"

namespace kelvo::import_internal {

/// `PlaceholderTranslator::translate` of `body`, written back into it, its warnings appended to
/// `warnings`. A body with no byte the dialect reacts to is left untouched, and the room the
/// others take is reused from body to body on the same thread.
void translateInPlace(std::string& body, PlaceholderSyntax syntax,
                      std::vector<ImportWarning>& warnings);

}  // namespace kelvo::import_internal
