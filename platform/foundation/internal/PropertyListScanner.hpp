// Internal to platform/foundation: include "platform/foundation/PropertyList.hpp" instead.
#pragma once

// The two readers behind `PropertyList::read`. Nearly every property list is plain: elements,
// attributes, white space, comments, CDATA sections, an XML declaration, a DOCTYPE without
// declarations of its own and character references. `readPlain` reads those straight from the
// bytes, with no document in between; it declines anything else (processing instructions,
// declared entities, every refusal) and leaves it to `readDocument`, so that what it does read
// comes out as that reader gives it.

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/foundation/PropertyList.hpp"

namespace kelvo::foundation_internal {

/// The value of a plain property list; none for any other text. With a sink, the elements of a
/// top-level array go to it (see `PropertyList::read`).
std::optional<PropertyListValue> readPlain(std::string_view text,
                                           PropertyList::ElementSink* sink = nullptr);

/// Reads any text through pugixml's document, throwing `PropertyListError` for what is no
/// property list. With a sink, the elements of a top-level array go to it.
PropertyListValue readDocument(std::string_view text, PropertyList::ElementSink* sink = nullptr);

/// At most how many bytes `readDocument` takes for the document of `text`.
std::size_t documentSize(std::string_view text);

/// An element of a top-level array as far as `sink` keeps it (see `PropertyList::ElementSink`).
PropertyListValue kept(PropertyListValue&& element, const PropertyList::ElementSink& sink);

}  // namespace kelvo::foundation_internal
