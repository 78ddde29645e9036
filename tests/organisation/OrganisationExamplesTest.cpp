// The usage examples at the top of the organisation layer's headers, run as written.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>
#include <vector>

#include "core/model/Card.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/organisation/CardDragBatch.hpp"
#include "core/organisation/CardGrouping.hpp"
#include "core/organisation/CardMenuCapabilities.hpp"
#include "core/organisation/CardOrder.hpp"
#include "core/organisation/CardOrganiser.hpp"
#include "core/organisation/CardTypeFilter.hpp"
#include "core/organisation/GridKeyDecision.hpp"
#include "core/organisation/GridSelection.hpp"
#include "core/organisation/InMemoryCardOrderStore.hpp"
#include "core/organisation/KelvoKeyboardShortcut.hpp"
#include "core/organisation/LibrarySectionID.hpp"
#include "core/organisation/LibrarySectioning.hpp"
#include "core/organisation/MacSettingsTab.hpp"
#include "core/organisation/MasonryLayout.hpp"
#include "core/organisation/PushedPaneStack.hpp"
#include "core/organisation/ShelfRefusal.hpp"
#include "core/organisation/SmartShelfOrganiser.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/search/SmartFilter.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

TEST(CardDragBatch, APIExamples) {
  const UUID a = UUID::random(), b = UUID::random(), c = UUID::random();
  const std::vector<UUID> visibleOrder{a, b, c};
  const std::vector<UUID> batch = CardDragBatch::ids(c, {a, c}, visibleOrder);  // a, c
  const std::vector<UUID> alone = CardDragBatch::ids(b, {a, c}, visibleOrder);  // b

  EXPECT_EQ(batch, (std::vector<UUID>{a, c}));
  EXPECT_EQ(alone, std::vector<UUID>{b});
}

TEST(CardGrouping, APIExamples) {
  const std::string stored = "recency";
  const auto grouping = fromRawValue<CardGrouping>(stored).value_or(CardGrouping::project);
  const std::string name = title(grouping);          // "Last used"
  const std::string stated = activeLabel(grouping);  // "Grouped by when it was last used"

  EXPECT_EQ(grouping, CardGrouping::recency);
  EXPECT_EQ(name, "Last used");
  EXPECT_EQ(stated, "Grouped by when it was last used");
}

TEST(CardMenuCapabilities, APIExamples) {
  const UUID clicked = UUID::random(), other = UUID::random();
  const GridSelection selection(std::set<UUID>{clicked, other});
  const std::vector<UUID> visibleOrder{other, clicked};
  const auto targets = CardMenuCapabilities::targetIDs(clicked, selection, visibleOrder);
  const auto letter = Card::make({.id = clicked, .payload = "Dear {name},"});
  const CardVerbs verbs = CardMenuCapabilities::verbs(*letter);  // fillAndCopy, pin, ...

  EXPECT_EQ(targets, visibleOrder);
  EXPECT_TRUE(verbs.contains(CardVerb::fillAndCopy) && verbs.contains(CardVerb::pin));
  EXPECT_FALSE(verbs.contains(CardVerb::copy) || verbs.contains(CardVerb::open));
}

TEST(CardOrder, APIExamples) {
  const UUID first = UUID::random(), second = UUID::random(), gone = UUID::random();
  CardOrder order = CardOrder::decode("{}");                      // the text the store kept
  order.move(first, LibrarySectionID::unsorted(), std::nullopt);  // at the end
  order.move(second, LibrarySectionID::unsorted(), first);        // just before the first
  order.moveToEnd(gone, LibrarySectionID::unsorted());
  order.prune({first, second});                // the cards still in the library
  const std::string stored = order.encoded();  // {"unsorted":["<second>","<first>"]}

  EXPECT_EQ(stored,
            "{\"unsorted\":[\"" + second.uuidString() + "\",\"" + first.uuidString() + "\"]}");
  EXPECT_EQ(CardOrder::decode(stored), order);
}

TEST(CardOrganiser, APIExamples) {
  const Date now(700'000'000);
  const std::vector<GroupableCard> cards{{.id = UUID::random(), .createdAt = now - 3'600},
                                         {.id = UUID::random(), .createdAt = Date(0)}};
  const Calendar calendar = Calendar::current();
  const auto groups = CardOrganiser::groups(cards, CardGrouping::recency, now, calendar);
  const std::string first = groups.front().title;  // "Today"
  const std::string last = groups.back().title;    // "Earlier"

  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(first, "Today");
  EXPECT_EQ(last, "Earlier");
  EXPECT_EQ(groups[0].cardIDs, std::vector<UUID>{cards[0].id});
  EXPECT_EQ(groups[1].cardIDs, std::vector<UUID>{cards[1].id});
}

TEST(CardTypeFilter, APIExamples) {
  const std::vector<SearchableCard> cards{SearchableCard({.content = "https://example.com"}),
                                          SearchableCard({.type = CardType::image})};
  const auto type = [](const SearchableCard& c) { return c.type(); };
  const auto link = [](const SearchableCard& c) { return isLink(c.content()); };
  const auto options = CardTypeFilter::options(CardTypeFilter::counts(cards, type, link));
  const auto shown = CardTypeFilter(CardTypeFilter::Selection::links()).apply(cards, type, link);

  std::vector<std::string> rows;
  for (const auto& option : options) {
    rows.push_back(option.label + " " + std::to_string(option.count) +
                   (option.isEnabled ? "" : " off"));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"All 2", "Text 0 off", "Links 1", "Images 1",
                                            "Files 0 off", "Docs 0 off", "Facts 0 off"}));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].content(), "https://example.com");
}

TEST(GridKeyDecision, APIExamples) {
  const std::vector<UUID> selected{UUID::random()};
  const std::optional<GridKey> key = gridKey(125);  // the down arrow's key code
  const GridKeyAction action = GridKeyDecision::decide(*key, FocusOwner::grid, selected,
                                                       /*hasVisibleCards=*/true,
                                                       /*isEditingText=*/false);  // move down

  EXPECT_EQ(action, GridKeyAction{GridKeyAction::Move{MoveDirection::down}});
}

TEST(GridSelection, APIExamples) {
  const UUID a = UUID::random(), b = UUID::random(), c = UUID::random(), d = UUID::random();
  const std::vector<UUID> visibleOrder{a, b, c, d};  // two columns: a b, then c d
  GridSelection selection;
  selection.replace(b);               // a click
  selection.extend(d, visibleOrder);  // a shift-click: b, c and d
  const auto below = selection.moved(MoveDirection::down, visibleOrder, 2);  // d, below b

  EXPECT_EQ(selection.selected(), (std::set<UUID>{b, c, d}));
  EXPECT_EQ(below, d);
}

TEST(InMemoryCardOrderStore, APIExamples) {
  CardOrder order;
  order.moveToEnd(UUID::random(), LibrarySectionID::unsorted());
  InMemoryCardOrderStore store{CardOrder()};
  store.save(order);
  const bool kept = store.load() == order;  // true

  EXPECT_TRUE(kept);
  EXPECT_FALSE(order.isEmpty());
}

TEST(KelvoKeyboardShortcut, APIExamples) {
  std::vector<std::string> sheet;
  for (const auto& row : KelvoKeyboardShortcut::inGroup(KelvoKeyboardShortcut::Group::use))
    sheet.push_back(row.title() + " " + row.displayCombination());  // "Agenda ⌥⌘A", ...
  const auto& chips = KelvoKeyboardShortcut::readyRowCopy();
  const std::string spoken = chips.spokenCombination();  // "Command 1 through 5"

  ASSERT_EQ(sheet.size(), 6u);
  EXPECT_EQ(sheet[0], "Use a card from Ready ⌘1–5");
  EXPECT_EQ(sheet[2], "Agenda ⌥⌘A");
  EXPECT_EQ(spoken, "Command 1 through 5");
}

TEST(LibrarySectionID, APIExamples) {
  const UUID projectID = UUID::random();
  const LibrarySectionID section = LibrarySectionID::project(projectID);
  const std::string key = section.storageKey();  // the identifier's upper-case text
  const auto pile = LibrarySectionID::fromStorageKey("unsorted");  // the unsorted pile

  EXPECT_EQ(key, projectID.uuidString());
  EXPECT_EQ(LibrarySectionID::fromStorageKey(key), section);
  EXPECT_EQ(pile, LibrarySectionID::unsorted());
}

// A host's card record, as the library's sections read it.
struct Record {
  UUID itemID = UUID::random();
  bool pinned = false;
  UUID id() const { return itemID; }
  std::optional<UUID> projectID() const { return std::nullopt; }
  bool isPinned() const { return pinned; }
  std::optional<Date> lastUsedAt() const { return std::nullopt; }
  Date createdAt() const { return Date(0); }
};

TEST(LibrarySectioning, APIExamples) {
  const auto screen = [](const auto& cards, const CardOrder& order) {
    const std::vector<LibraryProject> projects{{UUID::random(), "Taxes", 0}};
    return LibrarySectioning::sections(cards, projects, "Unsorted", order, /*collapsed=*/{},
                                       /*alwaysShowUnsorted=*/true,
                                       /*hideEmptyProjects=*/false);  // Taxes, Unsorted
  };

  const std::vector<Record> cards{{}, {}, {.pinned = true}};
  CardOrder order;
  order.moveToEnd(cards[1].itemID, LibrarySectionID::unsorted());
  const auto sections = screen(cards, order);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].title, "Taxes");
  EXPECT_TRUE(sections[0].items.empty());
  EXPECT_EQ(sections[1].id, LibrarySectionID::unsorted());
  std::vector<UUID> shown;
  for (const Record& record : sections[1].items) shown.push_back(record.itemID);
  EXPECT_EQ(shown, (std::vector<UUID>{cards[2].itemID, cards[1].itemID, cards[0].itemID}));
}

TEST(MacSettingsTab, APIExamples) {
  const std::optional<MacSettingsTab> tab = fromRawValue<MacSettingsTab>("general");
  const std::string name = tab ? title(*tab) : "";                   // "General"
  const auto id = accessibilityIdentifier(MacSettingsTab::general);  // "settings-tab-general"

  EXPECT_EQ(name, "General");
  EXPECT_EQ(id, "settings-tab-general");
}

TEST(MasonryLayout, APIExamples) {
  const std::vector<double> heights{120, 80, 200, 60};
  const int columns = MasonryLayout::columnCount(520, 240, 16, 1, 6);   // 2
  const auto layout = MasonryLayout::distribute(heights, columns, 16);  // {0, 3}, {1, 2}

  EXPECT_EQ(columns, 2);
  EXPECT_EQ(layout, (std::vector<std::vector<std::size_t>>{{0, 3}, {1, 2}}));
}

TEST(PushedPaneStack, APIExamples) {
  PushedPaneStack stack;
  stack.appeared(PushedPaneStack::depth(false));         // pushed from the root
  stack.appeared(PushedPaneStack::depth(true));          // pushed from that pane
  const bool outerOffersBack = stack.ownsTheWayBack(1);  // false: the deeper pane does
  stack.disappeared(2);
  const bool nowOffersBack = stack.ownsTheWayBack(1);  // true

  EXPECT_FALSE(outerOffersBack);
  EXPECT_TRUE(nowOffersBack);
}

TEST(ShelfRefusal, APIExamples) {
  const ShelfRefusal refused = ShelfRefusal::smartShelfCapReached(12);
  const std::string shown = refused.message();  // "Kelvo tops out at 12 smart shelves. ..."

  EXPECT_EQ(shown,
            "Kelvo tops out at 12 smart shelves. Delete one you no longer use to make room.");
}

TEST(SmartShelfOrganiser, APIExamples) {
  const auto addUntouched = [](data::Context& context, Date now) -> std::string {
    const SmartShelfCriteria untouched(SmartShelfCriteria::currentVersion, std::nullopt,
                                       CardPredicate::neverUsed(), CardSort::title);
    const auto made = SmartShelfOrganiser::create("Untouched", untouched, context, now);
    const auto* refused = std::get_if<ShelfRefusal>(&made);
    return refused ? refused->message() : "";  // the sentence to show when refused
  };

  testing::Library library;
  for (std::int64_t made = 0; made < SmartShelf::maximumCount; ++made) {
    EXPECT_EQ(addUntouched(library.context(), Date(99)), "");
  }
  EXPECT_EQ(library.context().count(SmartShelf::fetchRequest()), 12u);
  EXPECT_EQ(addUntouched(library.context(), Date(99)),
            ShelfRefusal::smartShelfCapReached(12).message());
}

}  // namespace
}  // namespace kelvo
