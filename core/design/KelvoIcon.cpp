#include "core/design/KelvoIcon.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "platform/foundation/EnumTable.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

struct Icon {
  KelvoIcon key;
  std::string_view glyph;
  KelvoTileHue tileHue;
};

constexpr std::array<Icon, 161> icons{{
    {KelvoIcon::allCards, "stack", KelvoTileHue::purple},
    {KelvoIcon::home, "house", KelvoTileHue::kelvo},
    {KelvoIcon::overview, "calendar-check", KelvoTileHue::blue},
    {KelvoIcon::project, "folder", KelvoTileHue::blue},
    {KelvoIcon::projectOpen, "folder-open", KelvoTileHue::blue},
    {KelvoIcon::nestedShelf, "folders", KelvoTileHue::indigo},
    {KelvoIcon::unsorted, "tray", KelvoTileHue::graphite},
    {KelvoIcon::smartShelf, "funnel", KelvoTileHue::teal},
    {KelvoIcon::recentlyDeleted, "trash", KelvoTileHue::graphite},
    {KelvoIcon::agenda, "calendar-check", KelvoTileHue::red},
    {KelvoIcon::fillAForm, "clipboard-text", KelvoTileHue::green},
    {KelvoIcon::summaries, "sparkle", KelvoTileHue::pink},
    {KelvoIcon::automations, "lightning", KelvoTileHue::orange},
    {KelvoIcon::integrations, "plugs-connected", KelvoTileHue::indigo},
    {KelvoIcon::tutorials, "play-circle", KelvoTileHue::red},
    {KelvoIcon::settingsGeneral, "gear-six", KelvoTileHue::graphite},
    {KelvoIcon::settingsAppearance, "circle-half", KelvoTileHue::indigo},
    {KelvoIcon::settingsAutomations, "lightning", KelvoTileHue::orange},
    {KelvoIcon::settingsIntegrations, "plugs-connected", KelvoTileHue::blue},
    {KelvoIcon::settingsAccount, "user-circle-gear", KelvoTileHue::green},
    {KelvoIcon::settingsShortcuts, "keyboard", KelvoTileHue::graphite},
    {KelvoIcon::settings, "gear-six", KelvoTileHue::graphite},
    {KelvoIcon::keyboardShortcuts, "keyboard", KelvoTileHue::graphite},
    {KelvoIcon::command, "command", KelvoTileHue::graphite},
    {KelvoIcon::menuBarExtra, "drop", KelvoTileHue::kelvo},
    {KelvoIcon::search, "magnifying-glass", KelvoTileHue::blue},
    {KelvoIcon::add, "plus", KelvoTileHue::kelvo},
    {KelvoIcon::close, "x", KelvoTileHue::graphite},
    {KelvoIcon::more, "dots-three", KelvoTileHue::graphite},
    {KelvoIcon::open, "arrow-square-out", KelvoTileHue::blue},
    {KelvoIcon::keepInto, "download-simple", KelvoTileHue::kelvo},
    {KelvoIcon::importSnippets, "file-arrow-down", KelvoTileHue::blue},
    {KelvoIcon::bridgeFolder, "folder-notch-open", KelvoTileHue::blue},
    {KelvoIcon::textCard, "text-align-left", KelvoTileHue::graphite},
    {KelvoIcon::imageCard, "image", KelvoTileHue::kelvo},
    {KelvoIcon::fileCard, "paperclip", KelvoTileHue::graphite},
    {KelvoIcon::documentCard, "file-text", KelvoTileHue::kelvo},
    {KelvoIcon::factCard, "hash", KelvoTileHue::kelvo},
    {KelvoIcon::factEmail, "at", KelvoTileHue::blue},
    {KelvoIcon::factPhone, "phone", KelvoTileHue::green},
    {KelvoIcon::factAddress, "map-pin", KelvoTileHue::red},
    {KelvoIcon::factIDNumber, "identification-card", KelvoTileHue::indigo},
    {KelvoIcon::factIBAN, "bank", KelvoTileHue::teal},
    {KelvoIcon::factLicenseKey, "key", KelvoTileHue::kelvo},
    {KelvoIcon::factCustom, "hash", KelvoTileHue::graphite},
    {KelvoIcon::factURL, "link-simple", KelvoTileHue::blue},
    {KelvoIcon::factDate, "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::filterGIF, "gif", KelvoTileHue::pink},
    {KelvoIcon::filterPDF, "file-pdf", KelvoTileHue::red},
    {KelvoIcon::filterWordDocument, "file-doc", KelvoTileHue::blue},
    {KelvoIcon::filterSpreadsheet, "file-xls", KelvoTileHue::green},
    {KelvoIcon::filterPresentation, "file-ppt", KelvoTileHue::orange},
    {KelvoIcon::filterVideo, "film-strip", KelvoTileHue::purple},
    {KelvoIcon::filterAudio, "music-notes", KelvoTileHue::pink},
    {KelvoIcon::copy, "copy", KelvoTileHue::blue},
    {KelvoIcon::paste, "clipboard", KelvoTileHue::blue},
    {KelvoIcon::duplicate, "copy-simple", KelvoTileHue::blue},
    {KelvoIcon::pin, "push-pin", KelvoTileHue::orange},
    {KelvoIcon::unpin, "push-pin-slash", KelvoTileHue::orange},
    {KelvoIcon::edit, "pencil-simple", KelvoTileHue::graphite},
    {KelvoIcon::delete_, "trash", KelvoTileHue::red},
    {KelvoIcon::send, "paper-plane-tilt", KelvoTileHue::blue},
    {KelvoIcon::moveToShelf, "folder-simple", KelvoTileHue::blue},
    {KelvoIcon::show, "projector-screen", KelvoTileHue::purple},
    {KelvoIcon::reminder, "bell", KelvoTileHue::red},
    {KelvoIcon::select, "check-circle", KelvoTileHue::blue},
    {KelvoIcon::selected, "check-circle", KelvoTileHue::blue},
    {KelvoIcon::unselected, "circle", KelvoTileHue::graphite},
    {KelvoIcon::check, "check", KelvoTileHue::green},
    {KelvoIcon::undo, "arrow-u-up-left", KelvoTileHue::graphite},
    {KelvoIcon::reset, "arrow-counter-clockwise", KelvoTileHue::graphite},
    {KelvoIcon::refresh, "arrow-clockwise", KelvoTileHue::blue},
    {KelvoIcon::addSuggestion, "plus-circle", KelvoTileHue::kelvo},
    {KelvoIcon::newProject, "folder-plus", KelvoTileHue::blue},
    {KelvoIcon::newShelfInside, "folder-simple-plus", KelvoTileHue::indigo},
    {KelvoIcon::newSmartShelf, "funnel", KelvoTileHue::teal},
    {KelvoIcon::moveInto, "arrow-line-right", KelvoTileHue::graphite},
    {KelvoIcon::moveOut, "arrow-line-left", KelvoTileHue::graphite},
    {KelvoIcon::moveUp, "arrow-up", KelvoTileHue::graphite},
    {KelvoIcon::moveDown, "arrow-down", KelvoTileHue::graphite},
    {KelvoIcon::collapseAll, "arrows-in-line-vertical", KelvoTileHue::graphite},
    {KelvoIcon::expandAll, "arrows-out-line-vertical", KelvoTileHue::graphite},
    {KelvoIcon::nestedCount, "arrow-elbow-down-right", KelvoTileHue::graphite},
    {KelvoIcon::dropInside, "arrow-circle-down-right", KelvoTileHue::kelvo},
    {KelvoIcon::editCriteria, "sliders-horizontal", KelvoTileHue::teal},
    {KelvoIcon::filter, "funnel-simple", KelvoTileHue::teal},
    {KelvoIcon::sort, "arrows-down-up", KelvoTileHue::graphite},
    {KelvoIcon::tag, "tag", KelvoTileHue::teal},
    {KelvoIcon::intelligence, "sparkle", KelvoTileHue::pink},
    {KelvoIcon::matchTitle, "text-t", KelvoTileHue::graphite},
    {KelvoIcon::matchExtractedText, "scan", KelvoTileHue::graphite},
    {KelvoIcon::matchExact, "equals", KelvoTileHue::graphite},
    {KelvoIcon::matchWordForm, "text-aa", KelvoTileHue::graphite},
    {KelvoIcon::matchSynonym, "arrows-left-right", KelvoTileHue::graphite},
    {KelvoIcon::groupByType, "squares-four", KelvoTileHue::purple},
    {KelvoIcon::groupByRecency, "clock", KelvoTileHue::blue},
    {KelvoIcon::groupByDate, "calendar-plus", KelvoTileHue::red},
    {KelvoIcon::today, "sun", KelvoTileHue::kelvo},
    {KelvoIcon::yesterday, "moon", KelvoTileHue::indigo},
    {KelvoIcon::thisWeek, "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::thisMonth, "calendar", KelvoTileHue::red},
    {KelvoIcon::earlier, "archive", KelvoTileHue::graphite},
    {KelvoIcon::usedOften, "fire", KelvoTileHue::orange},
    {KelvoIcon::usedSometimes, "arrows-counter-clockwise", KelvoTileHue::blue},
    {KelvoIcon::neverUsed, "circle-dashed", KelvoTileHue::graphite},
    {KelvoIcon::recentlyUsed, "clock-counter-clockwise", KelvoTileHue::blue},
    {KelvoIcon::stale, "hourglass-low", KelvoTileHue::kelvo},
    {KelvoIcon::variables, "brackets-curly", KelvoTileHue::purple},
    {KelvoIcon::calendar, "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::photos, "images", KelvoTileHue::orange},
    {KelvoIcon::contacts, "user-circle", KelvoTileHue::graphite},
    {KelvoIcon::reminders, "list-checks", KelvoTileHue::blue},
    {KelvoIcon::slack, "hash-straight", KelvoTileHue::purple},
    {KelvoIcon::gmail, "envelope-simple", KelvoTileHue::red},
    {KelvoIcon::outlook, "envelope-simple", KelvoTileHue::blue},
    {KelvoIcon::googleMeet, "video-camera", KelvoTileHue::green},
    {KelvoIcon::cannedReply, "envelope-simple-open", KelvoTileHue::blue},
    {KelvoIcon::clientPack, "cards", KelvoTileHue::purple},
    {KelvoIcon::mailProblem, "shield-warning", KelvoTileHue::red},
    {KelvoIcon::done, "check-circle", KelvoTileHue::green},
    {KelvoIcon::error, "warning", KelvoTileHue::red},
    {KelvoIcon::warning, "warning", KelvoTileHue::kelvo},
    {KelvoIcon::problem, "warning-circle", KelvoTileHue::red},
    {KelvoIcon::overdue, "warning-circle", KelvoTileHue::red},
    {KelvoIcon::unknown, "question", KelvoTileHue::graphite},
    {KelvoIcon::info, "info", KelvoTileHue::blue},
    {KelvoIcon::help, "question", KelvoTileHue::graphite},
    {KelvoIcon::viewOnly, "eye", KelvoTileHue::graphite},
    {KelvoIcon::conflict, "git-fork", KelvoTileHue::red},
    {KelvoIcon::notDownloaded, "cloud-arrow-down", KelvoTileHue::blue},
    {KelvoIcon::missingFile, "file-dashed", KelvoTileHue::graphite},
    {KelvoIcon::empty, "tray", KelvoTileHue::graphite},
    {KelvoIcon::blank, "minus-circle", KelvoTileHue::graphite},
    {KelvoIcon::offline, "wifi-slash", KelvoTileHue::graphite},
    {KelvoIcon::iCloudUnavailable, "cloud-slash", KelvoTileHue::graphite},
    {KelvoIcon::refused, "hand-palm", KelvoTileHue::red},
    {KelvoIcon::cannotSend, "prohibit", KelvoTileHue::graphite},
    {KelvoIcon::locked, "lock-simple", KelvoTileHue::kelvo},
    {KelvoIcon::notificationsOn, "bell-ringing", KelvoTileHue::red},
    {KelvoIcon::notificationsOff, "bell-slash", KelvoTileHue::graphite},
    {KelvoIcon::remindersDue, "calendar-check", KelvoTileHue::red},
    {KelvoIcon::videoUnavailable, "video-camera-slash", KelvoTileHue::graphite},
    {KelvoIcon::waiting, "hourglass", KelvoTileHue::graphite},
    {KelvoIcon::time, "clock", KelvoTileHue::blue},
    {KelvoIcon::unavailable, "selection-slash", KelvoTileHue::graphite},
    {KelvoIcon::outdated, "clock-countdown", KelvoTileHue::kelvo},
    {KelvoIcon::readyRow, "lightning", KelvoTileHue::kelvo},
    {KelvoIcon::sync, "arrows-clockwise", KelvoTileHue::blue},
    {KelvoIcon::unlimited, "infinity", KelvoTileHue::purple},
    {KelvoIcon::appIcons, "circles-four", KelvoTileHue::pink},
    {KelvoIcon::quote, "quotes", KelvoTileHue::graphite},
    {KelvoIcon::textCursor, "cursor-text", KelvoTileHue::graphite},
    {KelvoIcon::compose, "note-pencil", KelvoTileHue::graphite},
    {KelvoIcon::copyOut, "arrow-up-right", KelvoTileHue::blue},
    {KelvoIcon::film, "film-strip", KelvoTileHue::red},
    {KelvoIcon::browseFiles, "folder-open", KelvoTileHue::blue},
    {KelvoIcon::devicePhone, "device-mobile", KelvoTileHue::graphite},
    {KelvoIcon::deviceTablet, "device-tablet", KelvoTileHue::graphite},
    {KelvoIcon::deviceLaptop, "laptop", KelvoTileHue::graphite},
    {KelvoIcon::deviceDesktop, "desktop", KelvoTileHue::graphite},
    {KelvoIcon::devices, "devices", KelvoTileHue::blue},
}};

static_assert(enumTableInOrder(icons));

const Icon& entry(KelvoIcon icon) { return enumTableRow(icons, icon, "KelvoIcon: not an icon"); }

}  // namespace

std::string_view glyph(KelvoIcon icon) { return entry(icon).glyph; }

KelvoIconWeight inlineWeight(KelvoIcon icon) {
  switch (icon) {
    case KelvoIcon::menuBarExtra:
    case KelvoIcon::selected:
    case KelvoIcon::dropInside:
    case KelvoIcon::done:
    case KelvoIcon::error:
    case KelvoIcon::overdue:
    case KelvoIcon::refused:
    case KelvoIcon::remindersDue:
      return KelvoIconWeight::fill;
    default:
      return KelvoIconWeight::regular;
  }
}

KelvoIconWeight tileWeight(KelvoIcon) { return KelvoIconWeight::fill; }

KelvoTileHue tileHue(KelvoIcon icon) { return entry(icon).tileHue; }

std::string assetName(KelvoIcon icon, KelvoIconWeight weight) {
  return iconAssetName(glyph(icon), weight);
}

std::set<std::string> kelvoIconGlyphs() {
  std::set<std::string> glyphs;
  for (const Icon& icon : icons) glyphs.emplace(icon.glyph);
  return glyphs;
}

std::vector<KelvoIconAsset> kelvoIconFetchList() {
  // Sorted by asset name, not by glyph: "ph-archive-duotone" comes before "ph-archive-fill".
  std::vector<std::pair<std::string, KelvoIconAsset>> named;
  for (const std::string& glyph : kelvoIconGlyphs()) {
    for (const KelvoIconWeight weight : allCases<KelvoIconWeight>()) {
      KelvoIconAsset asset{glyph, weight};
      named.emplace_back(asset.assetName(), std::move(asset));
    }
  }
  std::sort(named.begin(), named.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<KelvoIconAsset> list;
  list.reserve(named.size());
  for (auto& [name, asset] : named) list.push_back(std::move(asset));
  return list;
}

std::set<std::string> kelvoIconAssetNames() {
  std::set<std::string> names;
  for (const KelvoIconAsset& asset : kelvoIconFetchList()) names.insert(asset.assetName());
  return names;
}

}  // namespace kelvo
