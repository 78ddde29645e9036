#pragma once

#include <cstddef>
#include <string_view>

namespace kelvo {

/// The built-in filters by kind of card content. Of them, for now, the system's one link test.

/// Links longer than this many characters are never taken for links.
inline constexpr std::size_t linkCharacterLimit = 2048;

/// Whether `text` is a web link: after trimming white space at both ends, at most 2,048
/// characters; "http://" or "https://" in any case, or "www." (read as "https://www."); no
/// white space inside; a URL with a host that holds a dot or is exactly "localhost".
bool isLink(std::string_view text);

}  // namespace kelvo
