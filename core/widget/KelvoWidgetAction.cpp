#include "core/widget/KelvoWidgetAction.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string title(KelvoWidgetAction action) {
  switch (action) {
    case KelvoWidgetAction::keep:
      return localized("Keep");
    case KelvoWidgetAction::fill:
      return localized("Fill a form");
    case KelvoWidgetAction::search:
      return localized("Search");
  }
  return {};
}

std::string detailText(KelvoWidgetAction action) {
  switch (action) {
    case KelvoWidgetAction::keep:
      return localized("What's on the clipboard");
    case KelvoWidgetAction::fill:
      return localized("Details into a form");
    case KelvoWidgetAction::search:
      return localized("Find a card");
  }
  return {};
}

std::string accessibilityLabel(KelvoWidgetAction action) {
  switch (action) {
    case KelvoWidgetAction::keep:
      return localized("Keep the clipboard in Kelvo");
    case KelvoWidgetAction::fill:
      return localized("Fill a form with details from Kelvo");
    case KelvoWidgetAction::search:
      return localized("Search your Kelvo library");
  }
  return {};
}

KelvoIcon icon(KelvoWidgetAction action) {
  switch (action) {
    case KelvoWidgetAction::keep:
      return KelvoIcon::keepInto;
    case KelvoWidgetAction::fill:
      return KelvoIcon::fillAForm;
    case KelvoWidgetAction::search:
      return KelvoIcon::search;
  }
  return KelvoIcon::search;
}

KelvoURL request(KelvoWidgetAction action) {
  switch (action) {
    case KelvoWidgetAction::keep:
      return KelvoURL::keep();
    case KelvoWidgetAction::fill:
      return KelvoURL::fillForm();
    case KelvoWidgetAction::search:
      return KelvoURL::search(kelvoWidgetSearchTerm());
  }
  return KelvoURL::fillForm();
}

std::string kelvoWidgetSearchTerm() { return localized("*"); }

std::vector<KelvoWidgetTile> KelvoWidgetTile::make() {
  std::vector<KelvoWidgetTile> tiles;
  for (const KelvoWidgetAction action : allCases<KelvoWidgetAction>()) {
    // An action whose link cannot be formed is left out without a word.
    if (auto url = request(action).url()) tiles.push_back({action, std::move(*url)});
  }
  return tiles;
}

const std::vector<KelvoWidgetTile>& KelvoWidgetTile::all() {
  static const std::vector<KelvoWidgetTile> tiles = make();
  return tiles;
}

}  // namespace kelvo
