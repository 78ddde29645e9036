#pragma once

#include <cstddef>
#include <string_view>

namespace kelvo {

/// The system's one link test: what the link-preview policy, a card's tile and the search filters
/// all take for a web link.

/// Links longer than this many characters are never taken for links.
inline constexpr std::size_t linkCharacterLimit = 2048;

/// Whether `text` is a web link: after trimming white space at both ends, at most 2,048
/// characters; "http://" or "https://" in any case, or "www." (read as "https://www."); no
/// white space inside; a URL with a host that holds a dot or is exactly "localhost".
bool isWebLink(std::string_view text);

}  // namespace kelvo
