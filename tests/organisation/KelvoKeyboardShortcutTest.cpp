#include "core/organisation/KelvoKeyboardShortcut.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using Shortcut = KelvoKeyboardShortcut;
using M = Shortcut::Modifier;
using G = Shortcut::Group;
using Menu = Shortcut::MacMenu;
using Surface = ShortcutReference::Surface;

struct Row {
  const char* id;
  const char* title;
  std::optional<std::string> detail;
  const char* key;
  std::optional<std::string> spokenKey;
  std::vector<M> modifiers;
  G group;
  std::optional<Menu> menu;
  const char* display;
  const char* spoken;
};

TEST(KelvoKeyboardShortcutTest, TheCatalogueInOrderWithASampleOfItsRows) {
  const auto none = std::nullopt;
  const std::vector<M> cmd{M::command};
  const Row rows[] = {
      {"keep-clipboard", "Keep the clipboard", "Turns whatever you last copied into a card.", "N",
       none, cmd, G::capture, Menu::file, "⌘N", "Command N"},
      {"ready-row", "Use a card from Ready",
       "⌘1 uses the first chip in the Ready row, ⌘5 the last. A card with fields opens to be "
       "filled in rather than copied.",
       "1", none, cmd, G::use, none, "⌘1–5", "Command 1 through 5"},
      {"delete-selected", "Delete",
       "Moves the selection to the 30-day Trash. Undo is offered right after.", "\u232B", "Delete",
       cmd, G::selection, Menu::edit, "⌘⌫", "Command Delete"},
  };
  const auto& all = Shortcut::all();
  std::vector<std::string> ids;
  for (const Shortcut& shortcut : all) ids.push_back(shortcut.id());
  EXPECT_EQ(ids, (std::vector<std::string>{"keep-clipboard", "import-snippets", "find", "ready-row",
                                           "fill-a-form", "agenda", "summaries", "settings",
                                           "shortcuts", "paste-as-card", "copy-selected",
                                           "select-all", "clear-selection", "delete-selected",
                                           "use-selected", "duplicate-selected", "pin-selected"}));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    const auto found = std::find_if(
        all.begin(), all.end(), [&](const Shortcut& shortcut) { return shortcut.id() == row.id; });
    ASSERT_NE(found, all.end());
    const Shortcut& shortcut = *found;
    EXPECT_EQ(shortcut.title(), row.title);
    EXPECT_EQ(shortcut.detail(), row.detail);
    EXPECT_EQ(shortcut.key(), row.key);
    EXPECT_EQ(shortcut.spokenKey(), row.spokenKey);
    EXPECT_EQ(shortcut.modifiers(), row.modifiers);
    EXPECT_EQ(shortcut.group(), row.group);
    EXPECT_EQ(shortcut.macMenu(), row.menu);
    EXPECT_EQ(shortcut.displayCombination(), row.display);
    EXPECT_EQ(shortcut.spokenCombination(), row.spoken);
  }
  for (const Shortcut& shortcut : all) {
    SCOPED_TRACE(shortcut.id());
    const bool isReadyRow = shortcut.id() == "ready-row";
    EXPECT_EQ(shortcut.keyCount(), isReadyRow ? 5 : 1);
    EXPECT_EQ(shortcut.isAvailableOnTouchOnly(), isReadyRow);
    EXPECT_EQ(shortcut.isAvailableOnMacOnly(), shortcut.id() == "summaries");
    EXPECT_EQ(shortcut.isAvailable(Surface::mac), !isReadyRow);
    EXPECT_EQ(shortcut.isAvailable(Surface::touch), shortcut.id() != "summaries");
    if (!isReadyRow) {
      EXPECT_EQ(shortcut.combinations(), std::vector<std::string>{shortcut.displayCombination()});
    }
  }
  EXPECT_EQ(all[3], Shortcut::readyRowCopy());
}

TEST(KelvoKeyboardShortcutTest, RenderingAndLookUps) {
  const Shortcut& ready = Shortcut::readyRowCopy();
  EXPECT_EQ(ready.keys(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(ready.combinations(), (std::vector<std::string>{"⌘1", "⌘2", "⌘3", "⌘4", "⌘5"}));
  EXPECT_EQ(Shortcut::readyRowKey(0), "1");
  EXPECT_EQ(Shortcut::readyRowKey(4), "5");
  EXPECT_EQ(Shortcut::readyRowKey(5), std::nullopt);
  EXPECT_EQ(Shortcut::readyRowKey(-1), std::nullopt);

  // Clamped counts; modifiers in their fixed orders, each once; lower-case keys in upper case.
  const Shortcut zero("z", "Z", std::nullopt, "k", std::nullopt, 0,
                      {M::command, M::control, M::shift, M::command, M::option}, G::use,
                      std::nullopt);
  EXPECT_EQ(zero.keyCount(), 1);
  EXPECT_EQ(zero.displayCombination(), "⌃⌥⇧⌘K");
  EXPECT_EQ(zero.spokenCombination(), "Command Shift Option Control K");
  const Shortcut twelve("t", "T", std::nullopt, "x", std::nullopt, 12, {M::option}, G::use,
                        std::nullopt);
  EXPECT_EQ(twelve.keyCount(), Shortcut::numberKeyLimit);
  EXPECT_EQ(twelve.displayCombination(), "⌥X–9");
  EXPECT_EQ(twelve.spokenCombination(), "Option X through 9");

  std::vector<std::string> app;
  for (const auto& row : Shortcut::inGroup(G::app)) app.push_back(row.id());
  EXPECT_EQ(app, (std::vector<std::string>{"settings", "shortcuts"}));
  EXPECT_EQ(Shortcut::populatedGroups(),
            (std::vector<G>{G::capture, G::find, G::selection, G::use, G::app}));
}

}  // namespace
}  // namespace kelvo
