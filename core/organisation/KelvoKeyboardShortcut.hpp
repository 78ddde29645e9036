#pragma once

// The application's one catalogue of keyboard shortcuts, from which the Mac menus, the
// reference sheet and spoken descriptions are drawn, each combination for the eye and the ear:
//
//   std::vector<std::string> sheet;
//   for (const auto& row : KelvoKeyboardShortcut::inGroup(KelvoKeyboardShortcut::Group::use))
//     sheet.push_back(row.title() + " " + row.displayCombination());  // "Agenda ⌥⌘A", ...
//   const auto& chips = KelvoKeyboardShortcut::readyRowCopy();
//   const std::string spoken = chips.spokenCombination();  // "Command 1 through 5"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/organisation/ShortcutReference.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// One row of the application's one catalogue of keyboard shortcuts, from which the Mac menus,
/// the reference sheet and spoken descriptions are drawn. Renders its combination for the eye
/// (symbols) and the ear (words).
class KelvoKeyboardShortcut {
 public:
  /// A modifier key; its raw value is its symbol.
  enum class Modifier : std::uint8_t { command, shift, option, control };
  /// The section of the reference sheet; its raw value is the section's title.
  enum class Group : std::uint8_t { capture, find, selection, use, app };
  /// The Mac menu that carries a shortcut; its raw value is the menu's title.
  enum class MacMenu : std::uint8_t { app, file, edit, view, card, shelf, help };

  /// The most consecutive number keys one row may stand for.
  static constexpr int numberKeyLimit = 9;

  /// `keyCount` is clamped into 1 to `numberKeyLimit`.
  KelvoKeyboardShortcut(std::string id, std::string title, std::optional<std::string> detail,
                        std::string key, std::optional<std::string> spokenKey, int keyCount,
                        std::vector<Modifier> modifiers, Group group,
                        std::optional<MacMenu> macMenu, bool isAvailableOnTouchOnly = false,
                        bool isAvailableOnMacOnly = false);

  /// The catalogue, in order; built once.
  static const std::vector<KelvoKeyboardShortcut>& all();
  /// The ready row's chips (⌘1 to ⌘5); built once, and one row of `all()`.
  static const KelvoKeyboardShortcut& readyRowCopy();
  /// The rows of `all()` in `group`, in catalogue order.
  static std::vector<KelvoKeyboardShortcut> inGroup(Group group);
  /// The groups, in their order, that have at least one row.
  static std::vector<Group> populatedGroups();
  /// The key of the ready-row chip at `index` (from 0); none past the chips.
  static std::optional<std::string> readyRowKey(int index);

  const std::string& id() const { return id_; }
  const std::string& title() const { return title_; }
  const std::optional<std::string>& detail() const { return detail_; }
  /// The key as printed: a letter, digit, punctuation mark or key symbol.
  const std::string& key() const { return key_; }
  /// The key's spoken name when `key` is a symbol.
  const std::optional<std::string>& spokenKey() const { return spokenKey_; }
  /// How many consecutive number keys the row stands for; 1 for an ordinary shortcut.
  int keyCount() const { return keyCount_; }
  const std::vector<Modifier>& modifiers() const { return modifiers_; }
  bool isAvailableOnTouchOnly() const { return isAvailableOnTouchOnly_; }
  bool isAvailableOnMacOnly() const { return isAvailableOnMacOnly_; }
  const std::optional<MacMenu>& macMenu() const { return macMenu_; }
  Group group() const { return group_; }

  /// `key` alone, or "1" to `keyCount` for a row of number keys.
  std::vector<std::string> keys() const;
  /// Modifier symbols in the order ⌃⌥⇧⌘, then the key in upper case ("⇧⌘I", "⌘1–5").
  std::string displayCombination() const;
  /// One symbol combination per key.
  std::vector<std::string> combinations() const;
  /// Modifier names in the order Command Shift Option Control, then the key's spoken name or
  /// the key in upper case ("Command Shift I", "Command 1 through 5").
  std::string spokenCombination() const;
  /// Whether the shortcut exists on that kind of device.
  bool isAvailable(ShortcutReference::Surface surface) const;

  friend bool operator==(const KelvoKeyboardShortcut&, const KelvoKeyboardShortcut&) = default;

 private:
  std::string modifierSymbols() const;

  std::string id_;
  std::string title_;
  std::optional<std::string> detail_;
  std::string key_;
  std::optional<std::string> spokenKey_;
  int keyCount_;
  std::vector<Modifier> modifiers_;
  bool isAvailableOnTouchOnly_;
  bool isAvailableOnMacOnly_;
  std::optional<MacMenu> macMenu_;
  Group group_;
};

template <>
struct RawValues<KelvoKeyboardShortcut::Modifier> {
  using M = KelvoKeyboardShortcut::Modifier;
  static constexpr std::array<std::pair<M, std::string_view>, 4> table{{
      {M::command, "\u2318"},
      {M::shift, "\u21E7"},
      {M::option, "\u2325"},
      {M::control, "\u2303"},
  }};
};

template <>
struct RawValues<KelvoKeyboardShortcut::Group> {
  using G = KelvoKeyboardShortcut::Group;
  static constexpr std::array<std::pair<G, std::string_view>, 5> table{{
      {G::capture, "Keeping things"},
      {G::find, "Finding things"},
      {G::selection, "Selecting things"},
      {G::use, "Using things"},
      {G::app, "Kelvo"},
  }};
};

template <>
struct RawValues<KelvoKeyboardShortcut::MacMenu> {
  using M = KelvoKeyboardShortcut::MacMenu;
  static constexpr std::array<std::pair<M, std::string_view>, 7> table{{
      {M::app, "Kelvo"},
      {M::file, "File"},
      {M::edit, "Edit"},
      {M::view, "View"},
      {M::card, "Card"},
      {M::shelf, "Shelf"},
      {M::help, "Help"},
  }};
};

/// The modifier's spoken name: "Command", "Shift", "Option", "Control".
std::string_view spoken(KelvoKeyboardShortcut::Modifier modifier);
/// Where the menu is: its title followed by " menu" ("File menu").
std::string location(KelvoKeyboardShortcut::MacMenu menu);

}  // namespace kelvo
