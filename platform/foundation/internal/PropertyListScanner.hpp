// Internal to platform/foundation: include "platform/foundation/PropertyList.hpp" instead.
#pragma once

// The two readers behind `PropertyList::read`. Nearly every property list is plain: elements,
// attributes, white space, an XML declaration, a DOCTYPE without declarations of its own and
// character references. `readPlain` reads those straight from the bytes, with no document in
// between; it declines anything else (comments, CDATA, declared entities, every refusal) and
// leaves it to `readDocument`, so that what it does read comes out as that reader gives it.

#include <optional>
#include <string_view>

#include "platform/foundation/PropertyList.hpp"

namespace kelvo::foundation_internal {

/// The value of a plain property list; none for any other text.
std::optional<PropertyListValue> readPlain(std::string_view text);

/// Reads any text through pugixml's document, throwing `PropertyListError` for what is no
/// property list.
PropertyListValue readDocument(std::string_view text);

}  // namespace kelvo::foundation_internal
