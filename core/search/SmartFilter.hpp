#pragma once

#include <string_view>

#include "core/model/WebLink.hpp"

namespace kelvo {

/// The built-in filters by kind of card content. Of them, for now, the link test, which the card
/// library owns (`isWebLink`) and the filters offer under their own name.
inline bool isLink(std::string_view text) { return isWebLink(text); }

}  // namespace kelvo
