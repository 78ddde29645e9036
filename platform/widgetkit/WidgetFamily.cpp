#include "platform/widgetkit/WidgetFamily.hpp"

#include <cstddef>

namespace kelvo::widgetkit {
namespace {

struct FamilyRow {
  WidgetFamily family;
  std::string_view rawValue;
  Size size;
};

constexpr std::array<FamilyRow, 4> familyTable{{
    {WidgetFamily::systemSmall, "systemSmall", {170, 170}},
    {WidgetFamily::systemMedium, "systemMedium", {364, 170}},
    {WidgetFamily::systemLarge, "systemLarge", {364, 382}},
    {WidgetFamily::systemExtraLarge, "systemExtraLarge", {752, 382}},
}};

const FamilyRow& row(WidgetFamily family) {
  for (const auto& entry : familyTable) {
    if (entry.family == family) return entry;
  }
  return familyTable.front();  // only a value cast from outside the enumeration gets here
}

}  // namespace

const std::array<WidgetFamily, 4>& allWidgetFamilies() {
  static constexpr std::array<WidgetFamily, 4> families = [] {
    std::array<WidgetFamily, 4> list{};
    for (std::size_t i = 0; i < familyTable.size(); ++i) list[i] = familyTable[i].family;
    return list;
  }();
  return families;
}

std::string_view rawValue(WidgetFamily family) { return row(family).rawValue; }

std::optional<WidgetFamily> widgetFamilyFromRawValue(std::string_view text) {
  for (const auto& entry : familyTable) {
    if (entry.rawValue == text) return entry.family;
  }
  return std::nullopt;
}

Size displaySize(WidgetFamily family) { return row(family).size; }

}  // namespace kelvo::widgetkit
