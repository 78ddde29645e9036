#pragma once

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/KelvoIconAsset.hpp"
#include "core/design/KelvoTileHue.hpp"
#include "core/design/RawValue.hpp"

namespace kelvo {

/// The closed set of icons every screen, record and widget tile shows. A stored icon is its raw
/// value, which equals the case name.
enum class KelvoIcon {
  allCards,
  home,
  overview,
  project,
  projectOpen,
  nestedShelf,
  unsorted,
  smartShelf,
  recentlyDeleted,
  agenda,
  fillAForm,
  summaries,
  automations,
  integrations,
  tutorials,
  settingsGeneral,
  settingsAppearance,
  settingsAutomations,
  settingsIntegrations,
  settingsAccount,
  settingsShortcuts,
  settings,
  keyboardShortcuts,
  command,
  menuBarExtra,
  search,
  add,
  close,
  more,
  open,
  keepInto,
  importSnippets,
  bridgeFolder,
  textCard,
  imageCard,
  fileCard,
  documentCard,
  factCard,
  factEmail,
  factPhone,
  factAddress,
  factIDNumber,
  factIBAN,
  factLicenseKey,
  factCustom,
  factURL,
  factDate,
  filterGIF,
  filterPDF,
  filterWordDocument,
  filterSpreadsheet,
  filterPresentation,
  filterVideo,
  filterAudio,
  copy,
  paste,
  duplicate,
  pin,
  unpin,
  edit,
  delete_,  // raw value "delete"; the name is a keyword here
  send,
  moveToShelf,
  show,
  reminder,
  select,
  selected,
  unselected,
  check,
  undo,
  reset,
  refresh,
  addSuggestion,
  newProject,
  newShelfInside,
  newSmartShelf,
  moveInto,
  moveOut,
  moveUp,
  moveDown,
  collapseAll,
  expandAll,
  nestedCount,
  dropInside,
  editCriteria,
  filter,
  sort,
  tag,
  intelligence,
  matchTitle,
  matchExtractedText,
  matchExact,
  matchWordForm,
  matchSynonym,
  groupByType,
  groupByRecency,
  groupByDate,
  today,
  yesterday,
  thisWeek,
  thisMonth,
  earlier,
  usedOften,
  usedSometimes,
  neverUsed,
  recentlyUsed,
  stale,
  variables,
  calendar,
  photos,
  contacts,
  reminders,
  slack,
  gmail,
  outlook,
  googleMeet,
  cannedReply,
  clientPack,
  mailProblem,
  done,
  error,
  warning,
  problem,
  overdue,
  unknown,
  info,
  help,
  viewOnly,
  conflict,
  notDownloaded,
  missingFile,
  empty,
  blank,
  offline,
  iCloudUnavailable,
  refused,
  cannotSend,
  locked,
  notificationsOn,
  notificationsOff,
  remindersDue,
  videoUnavailable,
  waiting,
  time,
  unavailable,
  outdated,
  readyRow,
  sync,
  unlimited,
  appIcons,
  quote,
  textCursor,
  compose,
  copyOut,
  film,
  browseFiles,
  devicePhone,
  deviceTablet,
  deviceLaptop,
  deviceDesktop,
  devices,
};

std::span<const RawValueCase<KelvoIcon>> rawValueCases(KelvoIcon);

/// The glyph of the icon artwork; several icons share one.
std::string_view glyph(KelvoIcon icon);
/// The weight the icon is drawn at inline: fill for a few status icons, else regular.
KelvoIconWeight inlineWeight(KelvoIcon icon);
/// The weight the icon is drawn at on a tile: always fill.
KelvoIconWeight tileWeight(KelvoIcon icon);
/// The hue of the icon's tile.
KelvoTileHue tileHue(KelvoIcon icon);
/// The asset name of the icon's glyph at a weight ("ph-house-bold").
std::string assetName(KelvoIcon icon, KelvoIconWeight weight);

/// The distinct glyphs of all icons.
std::set<std::string> kelvoIconGlyphs();
/// Every asset the artwork must provide: each glyph at each weight, sorted by asset name.
std::vector<KelvoIconAsset> kelvoIconFetchList();
/// The asset names of the fetch list.
std::set<std::string> kelvoIconAssetNames();

}  // namespace kelvo
