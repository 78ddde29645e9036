#include "core/guidance/HintDirector.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include <fstream>
#include <nlohmann/json.hpp>
#include "core/guidance/HintCatalogue.hpp"
#include "core/guidance/HintDismissals.hpp"
#include "core/guidance/TutorialCatalogue.hpp"
#include "core/guidance/TutorialLibrary.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/JSON.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

const HintState homeState{
    .cardCount = 5,
    .templateCount = 3,
    .shelfCount = 1,
    .availableActions = {HintAction::pinFromCardMenu, HintAction::openAgenda}};
const HintState agendaState{
    .cardCount = 5, .reminderCount = 2, .availableActions = {HintAction::markReminderDone}};
const Date start(700'000'000);

std::optional<HintID> shown(const HintDirector& director, HintScreen screen, const HintState& state,
                            double idle, Date now, const HintDismissals& dismissed = {},
                            HintSuppression suppression = HintSuppression::none()) {
  const auto hint = director.hint(screen, state, dismissed, suppression, idle, now);
  return hint ? std::optional(hint->id) : std::nullopt;
}

TEST(HintDirectorTest, OffersTheFirstEligibleTipAfterAPause) {
  const HintDirector director;
  const auto candidates = director.candidates(HintScreen::home, homeState, {});
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(candidates[0].id, HintID::pinToReadyRow);
  EXPECT_EQ(candidates[1].id, HintID::remindersLiveBehindTheBell);

  const struct {
    double idle;
    std::optional<HintID> expected;
  } pauses[] = {{13.9, std::nullopt},  {14, HintID::pinToReadyRow},  {90, HintID::pinToReadyRow},
                {90.01, std::nullopt}, {std::nan(""), std::nullopt}, {INFINITY, std::nullopt}};
  for (const auto& pause : pauses) {
    EXPECT_EQ(shown(director, HintScreen::home, homeState, pause.idle, start), pause.expected)
        << pause.idle;
  }
  EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start, {HintID::pinToReadyRow}),
            HintID::remindersLiveBehindTheBell);
  EXPECT_TRUE(director.hasNothingLeftToSay(HintScreen::agenda, homeState, {}));
  EXPECT_FALSE(director.hasNothingLeftToSay(HintScreen::home, homeState, {}));
}

TEST(HintDirectorTest, OneTipPerScreenAndFourMinutesApart) {
  HintDirector director;
  director.record(*HintCatalogue::hint(HintID::pinToReadyRow), start);
  EXPECT_EQ(director.lastShownAt(), start);
  EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start + 10'000), std::nullopt);
  EXPECT_TRUE(director.hasNothingLeftToSay(HintScreen::home, homeState, {}));
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start + 239.9), std::nullopt);
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start + 240),
            HintID::doneKeepsTheCard);
  // A clock that went back, or a present that is not a number, gives no gap at all.
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, start - 1000), std::nullopt);
  EXPECT_EQ(shown(director, HintScreen::agenda, agendaState, 30, Date(std::nan(""))), std::nullopt);

  // A tip already shown is passed over for the next one.
  const HintDirector seen({}, {HintID::pinToReadyRow});
  EXPECT_EQ(shown(seen, HintScreen::home, homeState, 30, start),
            HintID::remindersLiveBehindTheBell);
}

TEST(HintDirectorTest, AnySuppressionKeepsTipsAway) {
  const HintDirector director;
  for (int flag = 0; flag < 4; ++flag) {
    HintSuppression suppression;
    bool* const fields[] = {&suppression.isEditingText, &suppression.isSheetPresented,
                            &suppression.isDragging, &suppression.isScreenReaderRunning};
    *fields[flag] = true;
    EXPECT_FALSE(suppression.allowsHints());
    EXPECT_EQ(shown(director, HintScreen::home, homeState, 30, start, {}, suppression),
              std::nullopt);
  }
  EXPECT_EQ(HintSuppression::none().reason(), std::nullopt);
  const struct {
    HintSuppression suppression;
    const char* reason;
  } reasons[] = {
      {{.isEditingText = true, .isSheetPresented = true}, "typing"},
      {{.isEditingText = true, .isScreenReaderRunning = true}, "screen reader running"},
      {{.isSheetPresented = true, .isDragging = true}, "sheet presented"},
      {{.isDragging = true}, "dragging"},
  };
  for (const auto& [suppression, reason] : reasons) EXPECT_EQ(suppression.reason(), reason);
}

TEST(HintDismissalsTest, EncodesSortedAndKeepsUnknownIdentifiers) {
  const HintDismissals dismissals(HintDismissals::RawIDs{"old-tip", "group-on-a-shelf"});
  EXPECT_EQ(toString(dismissals.encoded()), R"(["group-on-a-shelf","old-tip"])");
  EXPECT_EQ(HintDismissals::decoded(dismissals.encoded()), dismissals);
  EXPECT_TRUE(dismissals.contains(HintID::groupOnAShelf));
  EXPECT_FALSE(dismissals.contains(HintID::pinToReadyRow));

  EXPECT_EQ(HintDismissals::decoded(std::string_view(R"(["x","x"])")).rawIDs().size(), 1u);
  EXPECT_TRUE(HintDismissals::decoded(std::string_view("[]")).isEmpty());
  EXPECT_EQ(toString(HintDismissals().encoded()), "[]");
  for (const char* bad : {R"({"a":1})", "[1]", R"("pin-to-ready-row")", "[null]", "", "[\"a\""}) {
    EXPECT_THROW(HintDismissals::decoded(std::string_view(bad)), DecodingError) << bad;
  }
}

TEST(HintDismissalsTest, KnowsWhenAScreenHasNothingLeft) {
  HintDismissals dismissals;
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::fillForm));
  dismissals.insert(HintID::fillKeepsYourPlace);
  EXPECT_TRUE(dismissals.hasDismissedEverything(HintScreen::fillForm));
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::home));
  dismissals = {HintID::blanksInACard,
                HintID::pinToReadyRow,
                HintID::remindersLiveBehindTheBell,
                HintID::fillAFormFromYourFacts,
                HintID::searchLooksInsideFiles,
                HintID::groupOnAShelf};
  EXPECT_TRUE(dismissals.hasDismissedEverything(HintScreen::home));
  EXPECT_FALSE(dismissals.hasDismissedEverything(HintScreen::agenda));
}

std::vector<HintID> ids(const std::vector<Hint>& hints) {
  std::vector<HintID> result;
  for (const Hint& hint : hints) result.push_back(hint.id);
  return result;
}

TEST(HintCatalogueTest, ScreensCarryTheirTipsInOrderWithExactMessages) {
  using enum HintID;
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::home)),
            (std::vector<HintID>{blanksInACard, pinToReadyRow, remindersLiveBehindTheBell,
                                 fillAFormFromYourFacts, searchLooksInsideFiles, groupOnAShelf}));
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::agenda)), std::vector<HintID>{doneKeepsTheCard});
  EXPECT_EQ(ids(HintCatalogue::hints(HintScreen::fillForm)),
            std::vector<HintID>{fillKeepsYourPlace});
  ASSERT_EQ(HintCatalogue::all().size(), 8u);
  for (HintID id : allCases<HintID>()) ASSERT_EQ(HintCatalogue::hint(id)->id, id);
  const auto& all = HintCatalogue::all();
  EXPECT_EQ(all.front().message,
            "Next time you keep something, type {name} where a name goes \xE2\x80\x94 Kelvo asks "
            "you for it each time you reuse the card.");
  EXPECT_EQ(all[1].message,
            "The card you reach for most can sit in the Ready Row \xE2\x80\x94 pin it from the "
            "card's own menu.");
  EXPECT_EQ(all.back().message,
            "Copy a field, switch to the form, come back \xE2\x80\x94 Kelvo keeps your place in "
            "the list.");
}

TEST(HintCatalogueTest, ConditionsAndEligibility) {
  using C = HintCondition;
  HintState state;
  state.reminderCount = -1;
  EXPECT_FALSE(C::noReminders().matches(state));
  EXPECT_FALSE(C::hasReminders().matches(state));
  for (std::int64_t shelves : {0, 1, 2}) {
    state.shelfCount = shelves;
    EXPECT_EQ(C::onlyTheDefaultShelf().matches(state), shelves < 2) << shelves;
  }
  state.cardCount = 3;
  EXPECT_TRUE(C::cardsAtLeast(3).matches(state));
  EXPECT_FALSE(C::cardsAtLeast(4).matches(state));
  EXPECT_NE(C::cardsAtLeast(3), C::cardsAtLeast(4));

  const Hint& group = *HintCatalogue::hint(HintID::groupOnAShelf);
  HintState library{
      .cardCount = 10, .shelfCount = 1, .availableActions = {HintAction::openShelves}};
  EXPECT_TRUE(group.isEligible(library));
  library.cardCount = 9;
  EXPECT_FALSE(group.isEligible(library));
  library.cardCount = 10;
  library.availableActions.clear();
  EXPECT_FALSE(group.isEligible(library));
}

TEST(HintCatalogueTest, IdentifiersCodeAsTheirRawValues) {
  EXPECT_EQ(fromRawValue<HintID>("fill-keeps-your-place"), HintID::fillKeepsYourPlace);
  EXPECT_EQ(fromRawValue<HintID>("Fill-keeps-your-place"), std::nullopt);
  EXPECT_EQ(fromRawValue<HintScreen>("Home"), std::nullopt);

  const Json good = json::parse("\"fill-keeps-your-place\"", true);
  EXPECT_EQ(decodeHintID(JSONReader(good)), HintID::fillKeepsYourPlace);
  const Json unknown = json::parse("\"Fill-keeps-your-place\"", true);
  try {
    decodeHintID(JSONReader(unknown));
    ADD_FAILURE() << "an unknown identifier decoded";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
  }
  const Json number = json::parse("3", true);
  EXPECT_THROW(decodeHintID(JSONReader(number)), DecodingError);
  Json written;
  to_json(written, HintID::doneKeepsTheCard);
  EXPECT_EQ(json::write(written), "\"done-keeps-the-card\"");
}

std::vector<std::string> slugs(const std::vector<TutorialFeature>& features) {
  std::vector<std::string> result;
  for (const auto& feature : features) result.push_back(feature.slug);
  return result;
}

TEST(TutorialCatalogueTest, ListsByPlatformAndLooksUpBySlugExactly) {
  const std::vector<std::string> touch{"keep-and-reuse",    "fill-a-form", "ready-row",
                                       "reminders",         "documents",   "beam",
                                       "keyboard-shortcuts"};
  EXPECT_EQ(slugs(TutorialCatalogue::listed()), touch);
  const auto mac = TutorialCatalogue::listed(TutorialPlatform::mac);
  ASSERT_EQ(mac.size(), 12u);
  EXPECT_EQ(mac.front().slug, "mac-library");
  EXPECT_EQ(mac.back().slug, "mac-tools");
  const auto all = TutorialCatalogue::all();
  ASSERT_EQ(all.size(), 19u);

  std::size_t storyboard = 0, withDestination = 0;
  for (const auto& feature : all) {
    EXPECT_EQ(feature.purpose.rfind("For ", 0), 0u) << feature.slug;
    EXPECT_EQ(feature.platforms.size(), 1u);
    if (feature.destination) ++withDestination;
    if (feature.platforms.contains(TutorialPlatform::mac)) {
      EXPECT_EQ(feature.storyboard, static_cast<TutorialStoryboardID>(storyboard++));
    } else {
      EXPECT_EQ(feature.storyboard, std::nullopt);
    }
  }
  EXPECT_EQ(withDestination, 4u);
  EXPECT_EQ(TutorialCatalogue::feature("keep-and-reuse")->destination, KelvoURL::keep());
  EXPECT_EQ(TutorialCatalogue::feature("mac-fill-a-form")->destination, KelvoURL::fillForm());
  EXPECT_EQ(TutorialCatalogue::feature("beam-iphone-to-mac")->storyboard,
            TutorialStoryboardID::beamCrossDevice);
  for (const char* miss : {"Beam", " beam", ""}) {
    EXPECT_EQ(TutorialCatalogue::feature(miss), std::nullopt) << miss;
  }
  EXPECT_EQ(TutorialCatalogue::feature("mac-agenda")->clipFilename(), "mac-agenda.mp4");
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("KelvoBar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("kelvo-bar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialPlatform>("Mac"), std::nullopt);
}

TEST(TutorialCatalogueTest, RowsAreExact) {
  const auto all = TutorialCatalogue::all();
  EXPECT_EQ(all.front().title, "Keep and reuse");
  EXPECT_EQ(all[10].title, "Open Kelvo from anywhere (\u2318\u21E7A)");
  EXPECT_EQ(all[15].title, "Keyboard on the Mac (Return, \u232B, arrows, \u2318F, \u2318/)");
  EXPECT_EQ(all.back().title, "Import, Automations, Bridge, Remote control");

  const auto mac = TutorialCatalogue::listed(TutorialPlatform::mac);
  EXPECT_EQ(mac[8].purpose,
            "For working without reaching for the mouse \u2014 arrows move the selection, Return "
            "opens a card, \u232B moves it to Recently Deleted.");
  const auto touch = TutorialCatalogue::touch();
  EXPECT_EQ(touch[0].purpose,
            "For the paragraph you retype every week \u2014 keep it once, then send it again with "
            "the names and dates filled in.");
}

const std::string unreadable(TutorialLibrary::unreadableReason);
const std::string empty(TutorialLibrary::emptyReason);

TEST(TutorialLibraryTest, ClipsFromRealFilesAndMeasuringRules) {
  const testing::TemporaryDirectory root;
  const auto folder = root.path() / std::string(TutorialCatalogue::bundleSubdirectory);
  std::filesystem::create_directories(folder / "beam.mp4");
  std::ofstream(folder / "keep-and-reuse.mp4") << "mp4 bytes";
  std::ofstream(folder / "ready-row.mp4");
  std::ofstream(folder / "documents.mp4") << "x";
  std::ofstream(folder / "mac-keep.mp4") << "x";
  std::ofstream(folder / "reminders.mp4") << "x";

  std::vector<std::string> asked;
  const TutorialLibrary library([&](std::string_view name) -> std::optional<URL> {
    asked.emplace_back(name);
    const auto path = folder / std::string(name);
    if (!std::filesystem::exists(path)) return std::nullopt;
    // Gone between being located and being measured.
    if (name == "reminders.mp4") std::filesystem::remove(path);
    return URL::fileURL(path);
  });
  const auto feature = [](const char* slug) { return *TutorialCatalogue::feature(slug); };

  EXPECT_EQ(library.clip(feature("keep-and-reuse")),
            TutorialClip::ready(URL::fileURL(folder / "keep-and-reuse.mp4")));
  EXPECT_EQ(library.clip(feature("ready-row")), TutorialClip::unplayable(empty));
  EXPECT_EQ(library.clip(feature("beam")), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(library.clip(feature("reminders")), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(library.clip(feature("fill-a-form")), TutorialClip::missing());
  EXPECT_TRUE(library.clip(feature("mac-keep")).isPlayable());

  asked.clear();
  std::vector<std::string> playable;
  for (const auto& with : library.featuresWithClips()) playable.push_back(with.slug);
  EXPECT_EQ(playable, (std::vector<std::string>{"keep-and-reuse", "documents"}));
  EXPECT_EQ(asked, (std::vector<std::string>{"keep-and-reuse.mp4", "fill-a-form.mp4",
                                             "ready-row.mp4", "reminders.mp4", "documents.mp4",
                                             "beam.mp4", "keyboard-shortcuts.mp4"}));
  EXPECT_FALSE(library.isEmpty());
  int measured = 0;
  const TutorialLibrary nowhere([](std::string_view) { return std::optional<URL>(); },
                                [&](const URL&) {
                                  ++measured;
                                  return std::optional<std::int64_t>(5);
                                });
  EXPECT_TRUE(nowhere.isEmpty());
  EXPECT_EQ(measured, 0);

  const URL web = *URL::parse("https://example.com/clips/beam.mp4");
  const TutorialLibrary online([&](std::string_view) { return std::optional(web); });
  EXPECT_EQ(online.clip(*TutorialCatalogue::feature("beam")), TutorialClip::ready(web));
  EXPECT_EQ(TutorialLibrary::byteCount(URL::fileURL("/nonexistent/clip.mp4")), std::nullopt);

  const TutorialLibrary negative([&](std::string_view) { return std::optional(web); },
                                 [](const URL&) { return std::optional<std::int64_t>(-1); });
  EXPECT_EQ(negative.clip(*TutorialCatalogue::feature("beam")), TutorialClip::unplayable(empty));
  EXPECT_NE(TutorialClip::unplayable(empty), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(TutorialClip::missing().url(), std::nullopt);
}

}  // namespace
}  // namespace kelvo
