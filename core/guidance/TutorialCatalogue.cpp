#include "core/guidance/TutorialCatalogue.hpp"

#include <algorithm>

#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

enum class Link { none, keep, fillForm };

struct Row {
  std::int64_t order;
  std::string_view slug;
  std::string_view title;  // the English key
  std::string_view purpose;
  Link link;
  std::string_view whereToFind;
  std::optional<TutorialStoryboardID> storyboard = std::nullopt;
};

constexpr Row touchRows[] = {
    {10, "keep-and-reuse", "Keep and reuse",
     "For the paragraph you retype every week \u2014 keep it once, then send it again with the "
     "names and dates filled in.",
     Link::keep, "Keep, at the bottom of the home screen."},
    {20, "fill-a-form", "Fill a form",
     "For the twentieth form asking for your address \u2014 your own details, one tap each, in the "
     "order forms ask for them.",
     Link::fillForm, "The list icon in the header."},
    {30, "ready-row", "Ready Row",
     "For the one thing you copy ten times a day \u2014 it waits at the top of the screen you "
     "already open.",
     Link::none, "The top of the home screen. Pin a card from its own menu to put it there."},
    {40, "reminders", "Reminders and the Agenda",
     "For the thing you must not forget on Thursday \u2014 a card that comes back when it is due.",
     Link::none, "The bell in the header opens your Agenda."},
    {50, "documents", "Documents",
     "For showing someone a contract without emailing it first \u2014 page by page, then hand over "
     "the real file.",
     Link::none, "Open any card holding a PDF or a document."},
    {60, "beam", "Beam",
     "For getting something onto your other device now, without a cable and without waiting for "
     "sync.",
     Link::none, "Beam, on any card."},
    {70, "keyboard-shortcuts", "Keyboard shortcuts",
     "For working without reaching for the screen \u2014 every combination Kelvo answers to.",
     Link::none, "Press Command-slash, or open Settings and choose Keyboard shortcuts."},
};

constexpr Row macRows[] = {
    {10, "mac-library", "Your library on the Mac",
     "For a library that outgrew one long list \u2014 your shelves become sections you can fold "
     "shut, and a card moves between them by dragging.",
     Link::none, "All cards, in the sidebar. Each section is one of your projects.",
     TutorialStoryboardID::libraryFolders},
    {20, "mac-keep", "Keep anything",
     "For the thing you want to keep without stopping what you are doing \u2014 one chord, type or "
     "paste, and it is a card.",
     Link::keep, "Keep, in the toolbar, or \u2318N from anywhere in Kelvo.",
     TutorialStoryboardID::keepFromToolbar},
    {30, "mac-search", "Find it fast",
     "For the card you know you kept and cannot see \u2014 start typing and the list narrows as "
     "you go.",
     Link::none, "\u2318F, or the search field in the toolbar.",
     TutorialStoryboardID::searchFromToolbar},
    {40, "mac-summon", "Open Kelvo from anywhere (\u2318\u21E7A)",
     "For the detail you need while a form is already open in another app \u2014 Kelvo comes to "
     "the front without you going to find it.",
     Link::none, "Press \u2318\u21E7A in any app.", TutorialStoryboardID::summon},
    {50, "mac-finder-drop", "Drop files from Finder",
     "For the contract sitting on your desktop \u2014 drag it onto Kelvo and it becomes a card you "
     "can find again.",
     Link::none, "Drag any file from Finder onto the Kelvo window.",
     TutorialStoryboardID::finderDrop},
    {60, "beam-iphone-to-mac", "Beam from iPhone to Mac",
     "For the thing on your phone you need on the Mac now, without a cable and without waiting for "
     "sync.",
     Link::none, "Beam, on any card on your iPhone, with both devices on the same network.",
     TutorialStoryboardID::beamCrossDevice},
    {70, "mac-desk-drop", "Desk Drop",
     "For what you copied on your phone on the way in \u2014 it is on the Mac by the time you sit "
     "down.",
     Link::none, "Settings, then Desk Drop, switched on for both devices.",
     TutorialStoryboardID::deskDrop},
    {80, "mac-kelvo-bar", "The Kelvo Bar palette",
     "For keeping or finding one thing without the main window at all \u2014 a single bar over "
     "whatever app you are in.",
     Link::none, "Open Kelvo Bar, from Kelvo's menu-bar icon or the Kelvo menu. Escape closes it.",
     TutorialStoryboardID::kelvoBar},
    {90, "mac-keyboard", "Keyboard on the Mac (Return, \u232B, arrows, \u2318F, \u2318/)",
     "For working without reaching for the mouse \u2014 arrows move the selection, Return opens a "
     "card, \u232B moves it to Recently Deleted.",
     Link::none, "Help, then Keyboard Shortcuts, or press \u2318/.",
     TutorialStoryboardID::keyboard},
    {100, "mac-fill-a-form", "Fill a form",
     "For the twentieth form asking for your address \u2014 your own details, one click each, in "
     "the order forms ask for them.",
     Link::fillForm, "Fill a form, in the toolbar, or \u21E7\u2318F.",
     TutorialStoryboardID::fillForm},
    {110, "mac-agenda", "Agenda and reminders",
     "For the thing you must not forget on Thursday \u2014 a card that comes back when it is due.",
     Link::none, "Agenda, in the toolbar, or \u2325\u2318A.", TutorialStoryboardID::agenda},
    {120, "mac-tools", "Import, Automations, Bridge, Remote control",
     "For bringing in what another app is holding, and for the work Kelvo can do while you are not "
     "watching.",
     Link::none,
     "Settings: Automations has a section of its own, and the other three are in General.",
     TutorialStoryboardID::tools},
};

std::optional<KelvoURL> destination(Link link) {
  switch (link) {
    case Link::keep:
      return KelvoURL::keep();
    case Link::fillForm:
      return KelvoURL::fillForm();
    case Link::none:
      break;
  }
  return std::nullopt;
}

template <std::size_t N>
std::vector<TutorialFeature> build(const Row (&rows)[N], TutorialPlatform platform) {
  std::vector<TutorialFeature> features;
  features.reserve(N);
  for (const Row& row : rows) {
    features.push_back({std::string(row.slug),
                        localized(row.title),
                        std::string(row.purpose),
                        destination(row.link),
                        std::string(row.whereToFind),
                        row.order,
                        {platform},
                        row.storyboard});
  }
  return features;
}

}  // namespace

const std::vector<TutorialFeature>& TutorialCatalogue::touch() {
  static const std::vector<TutorialFeature> list = build(touchRows, TutorialPlatform::touch);
  return list;
}

const std::vector<TutorialFeature>& TutorialCatalogue::mac() {
  static const std::vector<TutorialFeature> list = build(macRows, TutorialPlatform::mac);
  return list;
}

std::vector<TutorialFeature> TutorialCatalogue::all() {
  std::vector<TutorialFeature> features = touch();
  features.insert(features.end(), mac().begin(), mac().end());
  return features;
}

std::vector<TutorialFeature> TutorialCatalogue::listed(TutorialPlatform platform) {
  std::vector<TutorialFeature> features;
  for (const auto* list : {&touch(), &mac()}) {
    std::copy_if(
        list->begin(), list->end(), std::back_inserter(features),
        [&](const TutorialFeature& feature) { return feature.platforms.contains(platform); });
  }
  std::stable_sort(
      features.begin(), features.end(),
      [](const TutorialFeature& a, const TutorialFeature& b) { return a.order < b.order; });
  return features;
}

std::optional<TutorialFeature> TutorialCatalogue::feature(std::string_view slug) {
  for (const auto* list : {&touch(), &mac()}) {
    for (const TutorialFeature& feature : *list) {
      if (feature.slug == slug) return feature;
    }
  }
  return std::nullopt;
}

}  // namespace kelvo
