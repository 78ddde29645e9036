#include "core/organisation/CardGrouping.hpp"

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string title(CardGrouping grouping) {
  switch (grouping) {
    case CardGrouping::project:
      return localized("Projects");
    case CardGrouping::type:
      return localized("Type");
    case CardGrouping::recency:
      return localized("Last used");
    case CardGrouping::date:
      return localized("Date");
  }
  return localized("Projects");
}

KelvoIcon icon(CardGrouping grouping) {
  switch (grouping) {
    case CardGrouping::project:
      return KelvoIcon::project;
    case CardGrouping::type:
      return KelvoIcon::groupByType;
    case CardGrouping::recency:
      return KelvoIcon::groupByRecency;
    case CardGrouping::date:
      return KelvoIcon::groupByDate;
  }
  return KelvoIcon::project;
}

std::string activeLabel(CardGrouping grouping) {
  switch (grouping) {
    case CardGrouping::project:
      return localized("Grouped by project");
    case CardGrouping::type:
      return localized("Grouped by type");
    case CardGrouping::recency:
      return localized("Grouped by when it was last used");
    case CardGrouping::date:
      return localized("Grouped by the date it was kept");
  }
  return localized("Grouped by project");
}

}  // namespace kelvo
