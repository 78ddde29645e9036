#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/widgetkit/Geometry.hpp"

namespace kelvo::widgetkit {

/// The sizes a widget can be placed in. A widget names the families it supports.
enum class WidgetFamily { systemSmall, systemMedium, systemLarge, systemExtraLarge };

/// Every family in declaration order.
const std::array<WidgetFamily, 4>& allWidgetFamilies();

/// "systemSmall", "systemMedium", "systemLarge", "systemExtraLarge".
std::string_view rawValue(WidgetFamily family);
/// The family of exactly that raw value (case-sensitive), or none.
std::optional<WidgetFamily> widgetFamilyFromRawValue(std::string_view text);

/// The standard size of a family in points: small 170 x 170, medium 364 x 170,
/// large 364 x 382, extra large 752 x 382.
Size displaySize(WidgetFamily family);

}  // namespace kelvo::widgetkit
