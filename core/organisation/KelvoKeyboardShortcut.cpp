#include "core/organisation/KelvoKeyboardShortcut.hpp"

#include <algorithm>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Modifier = KelvoKeyboardShortcut::Modifier;
using Group = KelvoKeyboardShortcut::Group;
using MacMenu = KelvoKeyboardShortcut::MacMenu;

constexpr std::array<Modifier, 4> displayOrder{Modifier::control, Modifier::option, Modifier::shift,
                                               Modifier::command};
constexpr std::array<Modifier, 4> spokenOrder{Modifier::command, Modifier::shift, Modifier::option,
                                              Modifier::control};

constexpr std::string_view enDash = "\u2013";
constexpr std::string_view escapeSymbol = "\u238B";
constexpr std::string_view deleteSymbol = "\u232B";
constexpr std::string_view returnSymbol = "\u23CE";

KelvoKeyboardShortcut makeReadyRow() {
  constexpr int chips = 5;
  std::string detail = "\u23181 uses the first chip in the Ready row, \u2318";
  detail += std::to_string(chips);
  detail += " the last. ";
  detail += "A card with fields opens to be filled in rather than copied.";
  return KelvoKeyboardShortcut("ready-row", "Use a card from Ready", std::move(detail), "1",
                               std::nullopt, chips, {Modifier::command}, Group::use, std::nullopt,
                               /*isAvailableOnTouchOnly=*/true);
}

std::vector<KelvoKeyboardShortcut> makeCatalogue() {
  using S = KelvoKeyboardShortcut;
  const auto none = std::nullopt;
  const std::vector<Modifier> command{Modifier::command};
  const std::vector<Modifier> commandShift{Modifier::command, Modifier::shift};
  const std::vector<Modifier> commandOption{Modifier::command, Modifier::option};
  return {
      S("keep-clipboard", "Keep the clipboard", "Turns whatever you last copied into a card.", "N",
        none, 1, command, Group::capture, MacMenu::file),
      S("import-snippets", localized("Import snippets"),
        "Brings in snippets from another app: paste a list, or open a file.", "I", none, 1,
        commandShift, Group::capture, MacMenu::file),
      S("find", "Find", "Jumps to the search field.", "F", none, 1, command, Group::find,
        MacMenu::card),
      KelvoKeyboardShortcut::readyRowCopy(),
      S("fill-a-form", "Fill a form", "Opens your facts in the order forms ask for them.", "F",
        none, 1, commandShift, Group::use, MacMenu::view),
      S("agenda", "Agenda", "What's due and overdue, grouped.", "A", none, 1, commandOption,
        Group::use, MacMenu::view),
      S("summaries", "Summaries", "Reads a document on this device and says what is in it.", "S",
        none, 1, commandOption, Group::use, MacMenu::view, false, /*isAvailableOnMacOnly=*/true),
      S("settings", "Settings", none, ",", none, 1, command, Group::app, MacMenu::app),
      S("shortcuts", "Keyboard shortcuts", "This list.", "/", none, 1, command, Group::app,
        MacMenu::help),
      S("paste-as-card", "Paste", "Pastes into the field that has the caret. Keep is \u2318N.", "V",
        none, 1, command, Group::capture, MacMenu::edit),
      S("copy-selected", "Copy", "One card copies itself; several text cards copy joined together.",
        "C", none, 1, command, Group::selection, MacMenu::edit),
      S("select-all", "Select all cards in view", none, "A", none, 1, command, Group::selection,
        MacMenu::edit),
      S("clear-selection", "Clear the selection", none, std::string(escapeSymbol), "Escape", 1, {},
        Group::selection, none),
      S("delete-selected", "Delete",
        "Moves the selection to the 30-day Trash. Undo is offered right after.",
        std::string(deleteSymbol), "Delete", 1, command, Group::selection, MacMenu::edit),
      S("use-selected", "Use the selected card",
        "Copies it, or opens it to be filled in if it has fields.", std::string(returnSymbol),
        "Return", 1, command, Group::use, MacMenu::card),
      S("duplicate-selected", "Duplicate",
        "Makes a copy, titled with \u201C copy\u201D, and selects it in place of the original.",
        "D", none, 1, command, Group::selection, MacMenu::edit),
      S("pin-selected", "Pin to Ready or unpin",
        "A mixed selection all becomes pinned, in one press.", "R", none, 1, commandShift,
        Group::use, MacMenu::card),
  };
}

}  // namespace

KelvoKeyboardShortcut::KelvoKeyboardShortcut(std::string id, std::string title,
                                             std::optional<std::string> detail, std::string key,
                                             std::optional<std::string> spokenKey, int keyCount,
                                             std::vector<Modifier> modifiers, Group group,
                                             std::optional<MacMenu> macMenu,
                                             bool isAvailableOnTouchOnly, bool isAvailableOnMacOnly)
    : id_(std::move(id)),
      title_(std::move(title)),
      detail_(std::move(detail)),
      key_(std::move(key)),
      spokenKey_(std::move(spokenKey)),
      keyCount_(std::clamp(keyCount, 1, numberKeyLimit)),
      modifiers_(std::move(modifiers)),
      isAvailableOnTouchOnly_(isAvailableOnTouchOnly),
      isAvailableOnMacOnly_(isAvailableOnMacOnly),
      macMenu_(macMenu),
      group_(group) {}

const std::vector<KelvoKeyboardShortcut>& KelvoKeyboardShortcut::all() {
  static const std::vector<KelvoKeyboardShortcut> catalogue = makeCatalogue();
  return catalogue;
}

const KelvoKeyboardShortcut& KelvoKeyboardShortcut::readyRowCopy() {
  static const KelvoKeyboardShortcut row = makeReadyRow();
  return row;
}

std::vector<KelvoKeyboardShortcut> KelvoKeyboardShortcut::inGroup(Group group) {
  std::vector<KelvoKeyboardShortcut> rows;
  std::copy_if(all().begin(), all().end(), std::back_inserter(rows),
               [&](const KelvoKeyboardShortcut& row) { return row.group() == group; });
  return rows;
}

std::vector<KelvoKeyboardShortcut::Group> KelvoKeyboardShortcut::populatedGroups() {
  std::vector<Group> groups;
  for (const Group group : allCases<Group>()) {
    const bool populated = std::any_of(all().begin(), all().end(),
                                       [&](const auto& row) { return row.group() == group; });
    if (populated) groups.push_back(group);
  }
  return groups;
}

std::optional<std::string> KelvoKeyboardShortcut::readyRowKey(int index) {
  const std::vector<std::string> keys = readyRowCopy().keys();
  if (index < 0 || static_cast<std::size_t>(index) >= keys.size()) return std::nullopt;
  return keys[static_cast<std::size_t>(index)];
}

std::vector<std::string> KelvoKeyboardShortcut::keys() const {
  if (keyCount_ < 2) return {key_};
  std::vector<std::string> numbers;
  for (int number = 1; number <= keyCount_; ++number) numbers.push_back(std::to_string(number));
  return numbers;
}

std::string KelvoKeyboardShortcut::modifierSymbols() const {
  std::string symbols;
  for (const Modifier modifier : displayOrder) {
    if (std::find(modifiers_.begin(), modifiers_.end(), modifier) != modifiers_.end()) {
      symbols += rawValue(modifier);
    }
  }
  return symbols;
}

std::string KelvoKeyboardShortcut::displayCombination() const {
  std::string combination = modifierSymbols() + text::uppercased(key_);
  if (keyCount_ >= 2) {
    combination += enDash;
    combination += keys().back();
  }
  return combination;
}

std::vector<std::string> KelvoKeyboardShortcut::combinations() const {
  const std::string prefix = modifierSymbols();
  std::vector<std::string> result;
  for (const std::string& key : keys()) result.push_back(prefix + text::uppercased(key));
  return result;
}

std::string KelvoKeyboardShortcut::spokenCombination() const {
  std::vector<std::string> words;
  for (const Modifier modifier : spokenOrder) {
    if (std::find(modifiers_.begin(), modifiers_.end(), modifier) != modifiers_.end()) {
      words.emplace_back(spoken(modifier));
    }
  }
  if (keyCount_ < 2) {
    words.push_back(spokenKey_ ? *spokenKey_ : text::uppercased(key_));
  } else {
    words.push_back(text::uppercased(key_));
    words.emplace_back("through");
    words.push_back(keys().back());
  }
  std::string spokenText;
  for (const std::string& word : words) {
    if (!spokenText.empty()) spokenText += ' ';
    spokenText += word;
  }
  return spokenText;
}

bool KelvoKeyboardShortcut::isAvailable(ShortcutReference::Surface surface) const {
  switch (surface) {
    case ShortcutReference::Surface::mac:
      return !isAvailableOnTouchOnly_;
    case ShortcutReference::Surface::touch:
      return !isAvailableOnMacOnly_;
  }
  return false;
}

std::string_view spoken(KelvoKeyboardShortcut::Modifier modifier) {
  switch (modifier) {
    case Modifier::command:
      return "Command";
    case Modifier::shift:
      return "Shift";
    case Modifier::option:
      return "Option";
    case Modifier::control:
      return "Control";
  }
  return "";
}

std::string location(KelvoKeyboardShortcut::MacMenu menu) {
  return std::string(rawValue(menu)) + " menu";
}

}  // namespace kelvo
