#include "core/design/KelvoIcon.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

struct Icon {
  KelvoIcon icon;
  std::string_view rawValue;
  std::string_view glyph;
  KelvoTileHue tileHue;
};

constexpr std::array<Icon, 161> icons{{
    {KelvoIcon::allCards, "allCards", "stack", KelvoTileHue::purple},
    {KelvoIcon::home, "home", "house", KelvoTileHue::kelvo},
    {KelvoIcon::overview, "overview", "calendar-check", KelvoTileHue::blue},
    {KelvoIcon::project, "project", "folder", KelvoTileHue::blue},
    {KelvoIcon::projectOpen, "projectOpen", "folder-open", KelvoTileHue::blue},
    {KelvoIcon::nestedShelf, "nestedShelf", "folders", KelvoTileHue::indigo},
    {KelvoIcon::unsorted, "unsorted", "tray", KelvoTileHue::graphite},
    {KelvoIcon::smartShelf, "smartShelf", "funnel", KelvoTileHue::teal},
    {KelvoIcon::recentlyDeleted, "recentlyDeleted", "trash", KelvoTileHue::graphite},
    {KelvoIcon::agenda, "agenda", "calendar-check", KelvoTileHue::red},
    {KelvoIcon::fillAForm, "fillAForm", "clipboard-text", KelvoTileHue::green},
    {KelvoIcon::summaries, "summaries", "sparkle", KelvoTileHue::pink},
    {KelvoIcon::automations, "automations", "lightning", KelvoTileHue::orange},
    {KelvoIcon::integrations, "integrations", "plugs-connected", KelvoTileHue::indigo},
    {KelvoIcon::tutorials, "tutorials", "play-circle", KelvoTileHue::red},
    {KelvoIcon::settingsGeneral, "settingsGeneral", "gear-six", KelvoTileHue::graphite},
    {KelvoIcon::settingsAppearance, "settingsAppearance", "circle-half", KelvoTileHue::indigo},
    {KelvoIcon::settingsAutomations, "settingsAutomations", "lightning", KelvoTileHue::orange},
    {KelvoIcon::settingsIntegrations, "settingsIntegrations", "plugs-connected",
     KelvoTileHue::blue},
    {KelvoIcon::settingsAccount, "settingsAccount", "user-circle-gear", KelvoTileHue::green},
    {KelvoIcon::settingsShortcuts, "settingsShortcuts", "keyboard", KelvoTileHue::graphite},
    {KelvoIcon::settings, "settings", "gear-six", KelvoTileHue::graphite},
    {KelvoIcon::keyboardShortcuts, "keyboardShortcuts", "keyboard", KelvoTileHue::graphite},
    {KelvoIcon::command, "command", "command", KelvoTileHue::graphite},
    {KelvoIcon::menuBarExtra, "menuBarExtra", "drop", KelvoTileHue::kelvo},
    {KelvoIcon::search, "search", "magnifying-glass", KelvoTileHue::blue},
    {KelvoIcon::add, "add", "plus", KelvoTileHue::kelvo},
    {KelvoIcon::close, "close", "x", KelvoTileHue::graphite},
    {KelvoIcon::more, "more", "dots-three", KelvoTileHue::graphite},
    {KelvoIcon::open, "open", "arrow-square-out", KelvoTileHue::blue},
    {KelvoIcon::keepInto, "keepInto", "download-simple", KelvoTileHue::kelvo},
    {KelvoIcon::importSnippets, "importSnippets", "file-arrow-down", KelvoTileHue::blue},
    {KelvoIcon::bridgeFolder, "bridgeFolder", "folder-notch-open", KelvoTileHue::blue},
    {KelvoIcon::textCard, "textCard", "text-align-left", KelvoTileHue::graphite},
    {KelvoIcon::imageCard, "imageCard", "image", KelvoTileHue::kelvo},
    {KelvoIcon::fileCard, "fileCard", "paperclip", KelvoTileHue::graphite},
    {KelvoIcon::documentCard, "documentCard", "file-text", KelvoTileHue::kelvo},
    {KelvoIcon::factCard, "factCard", "hash", KelvoTileHue::kelvo},
    {KelvoIcon::factEmail, "factEmail", "at", KelvoTileHue::blue},
    {KelvoIcon::factPhone, "factPhone", "phone", KelvoTileHue::green},
    {KelvoIcon::factAddress, "factAddress", "map-pin", KelvoTileHue::red},
    {KelvoIcon::factIDNumber, "factIDNumber", "identification-card", KelvoTileHue::indigo},
    {KelvoIcon::factIBAN, "factIBAN", "bank", KelvoTileHue::teal},
    {KelvoIcon::factLicenseKey, "factLicenseKey", "key", KelvoTileHue::kelvo},
    {KelvoIcon::factCustom, "factCustom", "hash", KelvoTileHue::graphite},
    {KelvoIcon::factURL, "factURL", "link-simple", KelvoTileHue::blue},
    {KelvoIcon::factDate, "factDate", "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::filterGIF, "filterGIF", "gif", KelvoTileHue::pink},
    {KelvoIcon::filterPDF, "filterPDF", "file-pdf", KelvoTileHue::red},
    {KelvoIcon::filterWordDocument, "filterWordDocument", "file-doc", KelvoTileHue::blue},
    {KelvoIcon::filterSpreadsheet, "filterSpreadsheet", "file-xls", KelvoTileHue::green},
    {KelvoIcon::filterPresentation, "filterPresentation", "file-ppt", KelvoTileHue::orange},
    {KelvoIcon::filterVideo, "filterVideo", "film-strip", KelvoTileHue::purple},
    {KelvoIcon::filterAudio, "filterAudio", "music-notes", KelvoTileHue::pink},
    {KelvoIcon::copy, "copy", "copy", KelvoTileHue::blue},
    {KelvoIcon::paste, "paste", "clipboard", KelvoTileHue::blue},
    {KelvoIcon::duplicate, "duplicate", "copy-simple", KelvoTileHue::blue},
    {KelvoIcon::pin, "pin", "push-pin", KelvoTileHue::orange},
    {KelvoIcon::unpin, "unpin", "push-pin-slash", KelvoTileHue::orange},
    {KelvoIcon::edit, "edit", "pencil-simple", KelvoTileHue::graphite},
    {KelvoIcon::delete_, "delete", "trash", KelvoTileHue::red},
    {KelvoIcon::send, "send", "paper-plane-tilt", KelvoTileHue::blue},
    {KelvoIcon::moveToShelf, "moveToShelf", "folder-simple", KelvoTileHue::blue},
    {KelvoIcon::show, "show", "projector-screen", KelvoTileHue::purple},
    {KelvoIcon::reminder, "reminder", "bell", KelvoTileHue::red},
    {KelvoIcon::select, "select", "check-circle", KelvoTileHue::blue},
    {KelvoIcon::selected, "selected", "check-circle", KelvoTileHue::blue},
    {KelvoIcon::unselected, "unselected", "circle", KelvoTileHue::graphite},
    {KelvoIcon::check, "check", "check", KelvoTileHue::green},
    {KelvoIcon::undo, "undo", "arrow-u-up-left", KelvoTileHue::graphite},
    {KelvoIcon::reset, "reset", "arrow-counter-clockwise", KelvoTileHue::graphite},
    {KelvoIcon::refresh, "refresh", "arrow-clockwise", KelvoTileHue::blue},
    {KelvoIcon::addSuggestion, "addSuggestion", "plus-circle", KelvoTileHue::kelvo},
    {KelvoIcon::newProject, "newProject", "folder-plus", KelvoTileHue::blue},
    {KelvoIcon::newShelfInside, "newShelfInside", "folder-simple-plus", KelvoTileHue::indigo},
    {KelvoIcon::newSmartShelf, "newSmartShelf", "funnel", KelvoTileHue::teal},
    {KelvoIcon::moveInto, "moveInto", "arrow-line-right", KelvoTileHue::graphite},
    {KelvoIcon::moveOut, "moveOut", "arrow-line-left", KelvoTileHue::graphite},
    {KelvoIcon::moveUp, "moveUp", "arrow-up", KelvoTileHue::graphite},
    {KelvoIcon::moveDown, "moveDown", "arrow-down", KelvoTileHue::graphite},
    {KelvoIcon::collapseAll, "collapseAll", "arrows-in-line-vertical", KelvoTileHue::graphite},
    {KelvoIcon::expandAll, "expandAll", "arrows-out-line-vertical", KelvoTileHue::graphite},
    {KelvoIcon::nestedCount, "nestedCount", "arrow-elbow-down-right", KelvoTileHue::graphite},
    {KelvoIcon::dropInside, "dropInside", "arrow-circle-down-right", KelvoTileHue::kelvo},
    {KelvoIcon::editCriteria, "editCriteria", "sliders-horizontal", KelvoTileHue::teal},
    {KelvoIcon::filter, "filter", "funnel-simple", KelvoTileHue::teal},
    {KelvoIcon::sort, "sort", "arrows-down-up", KelvoTileHue::graphite},
    {KelvoIcon::tag, "tag", "tag", KelvoTileHue::teal},
    {KelvoIcon::intelligence, "intelligence", "sparkle", KelvoTileHue::pink},
    {KelvoIcon::matchTitle, "matchTitle", "text-t", KelvoTileHue::graphite},
    {KelvoIcon::matchExtractedText, "matchExtractedText", "scan", KelvoTileHue::graphite},
    {KelvoIcon::matchExact, "matchExact", "equals", KelvoTileHue::graphite},
    {KelvoIcon::matchWordForm, "matchWordForm", "text-aa", KelvoTileHue::graphite},
    {KelvoIcon::matchSynonym, "matchSynonym", "arrows-left-right", KelvoTileHue::graphite},
    {KelvoIcon::groupByType, "groupByType", "squares-four", KelvoTileHue::purple},
    {KelvoIcon::groupByRecency, "groupByRecency", "clock", KelvoTileHue::blue},
    {KelvoIcon::groupByDate, "groupByDate", "calendar-plus", KelvoTileHue::red},
    {KelvoIcon::today, "today", "sun", KelvoTileHue::kelvo},
    {KelvoIcon::yesterday, "yesterday", "moon", KelvoTileHue::indigo},
    {KelvoIcon::thisWeek, "thisWeek", "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::thisMonth, "thisMonth", "calendar", KelvoTileHue::red},
    {KelvoIcon::earlier, "earlier", "archive", KelvoTileHue::graphite},
    {KelvoIcon::usedOften, "usedOften", "fire", KelvoTileHue::orange},
    {KelvoIcon::usedSometimes, "usedSometimes", "arrows-counter-clockwise", KelvoTileHue::blue},
    {KelvoIcon::neverUsed, "neverUsed", "circle-dashed", KelvoTileHue::graphite},
    {KelvoIcon::recentlyUsed, "recentlyUsed", "clock-counter-clockwise", KelvoTileHue::blue},
    {KelvoIcon::stale, "stale", "hourglass-low", KelvoTileHue::kelvo},
    {KelvoIcon::variables, "variables", "brackets-curly", KelvoTileHue::purple},
    {KelvoIcon::calendar, "calendar", "calendar-blank", KelvoTileHue::red},
    {KelvoIcon::photos, "photos", "images", KelvoTileHue::orange},
    {KelvoIcon::contacts, "contacts", "user-circle", KelvoTileHue::graphite},
    {KelvoIcon::reminders, "reminders", "list-checks", KelvoTileHue::blue},
    {KelvoIcon::slack, "slack", "hash-straight", KelvoTileHue::purple},
    {KelvoIcon::gmail, "gmail", "envelope-simple", KelvoTileHue::red},
    {KelvoIcon::outlook, "outlook", "envelope-simple", KelvoTileHue::blue},
    {KelvoIcon::googleMeet, "googleMeet", "video-camera", KelvoTileHue::green},
    {KelvoIcon::cannedReply, "cannedReply", "envelope-simple-open", KelvoTileHue::blue},
    {KelvoIcon::clientPack, "clientPack", "cards", KelvoTileHue::purple},
    {KelvoIcon::mailProblem, "mailProblem", "shield-warning", KelvoTileHue::red},
    {KelvoIcon::done, "done", "check-circle", KelvoTileHue::green},
    {KelvoIcon::error, "error", "warning", KelvoTileHue::red},
    {KelvoIcon::warning, "warning", "warning", KelvoTileHue::kelvo},
    {KelvoIcon::problem, "problem", "warning-circle", KelvoTileHue::red},
    {KelvoIcon::overdue, "overdue", "warning-circle", KelvoTileHue::red},
    {KelvoIcon::unknown, "unknown", "question", KelvoTileHue::graphite},
    {KelvoIcon::info, "info", "info", KelvoTileHue::blue},
    {KelvoIcon::help, "help", "question", KelvoTileHue::graphite},
    {KelvoIcon::viewOnly, "viewOnly", "eye", KelvoTileHue::graphite},
    {KelvoIcon::conflict, "conflict", "git-fork", KelvoTileHue::red},
    {KelvoIcon::notDownloaded, "notDownloaded", "cloud-arrow-down", KelvoTileHue::blue},
    {KelvoIcon::missingFile, "missingFile", "file-dashed", KelvoTileHue::graphite},
    {KelvoIcon::empty, "empty", "tray", KelvoTileHue::graphite},
    {KelvoIcon::blank, "blank", "minus-circle", KelvoTileHue::graphite},
    {KelvoIcon::offline, "offline", "wifi-slash", KelvoTileHue::graphite},
    {KelvoIcon::iCloudUnavailable, "iCloudUnavailable", "cloud-slash", KelvoTileHue::graphite},
    {KelvoIcon::refused, "refused", "hand-palm", KelvoTileHue::red},
    {KelvoIcon::cannotSend, "cannotSend", "prohibit", KelvoTileHue::graphite},
    {KelvoIcon::locked, "locked", "lock-simple", KelvoTileHue::kelvo},
    {KelvoIcon::notificationsOn, "notificationsOn", "bell-ringing", KelvoTileHue::red},
    {KelvoIcon::notificationsOff, "notificationsOff", "bell-slash", KelvoTileHue::graphite},
    {KelvoIcon::remindersDue, "remindersDue", "calendar-check", KelvoTileHue::red},
    {KelvoIcon::videoUnavailable, "videoUnavailable", "video-camera-slash", KelvoTileHue::graphite},
    {KelvoIcon::waiting, "waiting", "hourglass", KelvoTileHue::graphite},
    {KelvoIcon::time, "time", "clock", KelvoTileHue::blue},
    {KelvoIcon::unavailable, "unavailable", "selection-slash", KelvoTileHue::graphite},
    {KelvoIcon::outdated, "outdated", "clock-countdown", KelvoTileHue::kelvo},
    {KelvoIcon::readyRow, "readyRow", "lightning", KelvoTileHue::kelvo},
    {KelvoIcon::sync, "sync", "arrows-clockwise", KelvoTileHue::blue},
    {KelvoIcon::unlimited, "unlimited", "infinity", KelvoTileHue::purple},
    {KelvoIcon::appIcons, "appIcons", "circles-four", KelvoTileHue::pink},
    {KelvoIcon::quote, "quote", "quotes", KelvoTileHue::graphite},
    {KelvoIcon::textCursor, "textCursor", "cursor-text", KelvoTileHue::graphite},
    {KelvoIcon::compose, "compose", "note-pencil", KelvoTileHue::graphite},
    {KelvoIcon::copyOut, "copyOut", "arrow-up-right", KelvoTileHue::blue},
    {KelvoIcon::film, "film", "film-strip", KelvoTileHue::red},
    {KelvoIcon::browseFiles, "browseFiles", "folder-open", KelvoTileHue::blue},
    {KelvoIcon::devicePhone, "devicePhone", "device-mobile", KelvoTileHue::graphite},
    {KelvoIcon::deviceTablet, "deviceTablet", "device-tablet", KelvoTileHue::graphite},
    {KelvoIcon::deviceLaptop, "deviceLaptop", "laptop", KelvoTileHue::graphite},
    {KelvoIcon::deviceDesktop, "deviceDesktop", "desktop", KelvoTileHue::graphite},
    {KelvoIcon::devices, "devices", "devices", KelvoTileHue::blue},
}};

constexpr bool inDeclarationOrder() {
  for (std::size_t i = 0; i < icons.size(); ++i) {
    if (static_cast<std::size_t>(icons[i].icon) != i) return false;
  }
  return true;
}
static_assert(inDeclarationOrder());

constexpr std::array<RawValueCase<KelvoIcon>, icons.size()> cases = [] {
  std::array<RawValueCase<KelvoIcon>, icons.size()> list{};
  for (std::size_t i = 0; i < icons.size(); ++i) list[i] = {icons[i].icon, icons[i].rawValue};
  return list;
}();

const Icon& entry(KelvoIcon icon) {
  const auto index = static_cast<std::size_t>(icon);
  if (index >= icons.size()) fatal("KelvoIcon: not an icon");
  return icons[index];
}

}  // namespace

std::span<const RawValueCase<KelvoIcon>> rawValueCases(KelvoIcon) { return cases; }

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
  std::vector<KelvoIconAsset> list;
  for (const std::string& glyph : kelvoIconGlyphs()) {
    for (const KelvoIconWeight weight : allCases<KelvoIconWeight>())
      list.push_back({glyph, weight});
  }
  // Sorted by asset name, not by glyph: "ph-archive-duotone" comes before "ph-archive-fill".
  std::vector<std::pair<std::string, KelvoIconAsset>> named;
  named.reserve(list.size());
  for (KelvoIconAsset& asset : list) named.emplace_back(asset.assetName(), std::move(asset));
  std::sort(named.begin(), named.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  list.clear();
  for (auto& [name, asset] : named) list.push_back(std::move(asset));
  return list;
}

std::set<std::string> kelvoIconAssetNames() {
  std::set<std::string> names;
  for (const KelvoIconAsset& asset : kelvoIconFetchList()) names.insert(asset.assetName());
  return names;
}

}  // namespace kelvo
