#pragma once

// The twelve built-in filters by kind of card: every card falls into exactly one, decided from
// its type, its file name's extension and, for text, the system's one link test.
//
//   const auto counts = smartFilterCounts(cards, [](const auto& c) { return smartFilter(*c); });
//   for (SmartFilter filter : visibleSmartFilters(counts, selected)) row.add(title(filter));

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/model/CardType.hpp"
#include "core/model/WebLink.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

class Card;
enum class KelvoIcon;

enum class SmartFilter : std::uint8_t {
  textSnippets,
  links,
  facts,
  images,
  gifs,
  pdfs,
  wordDocuments,
  spreadsheets,
  presentations,
  videos,
  audio,
  otherFiles,
};

template <>
struct RawValues<SmartFilter> {
  static constexpr std::array<std::pair<SmartFilter, std::string_view>, 12> table{{
      {SmartFilter::textSnippets, "text"},
      {SmartFilter::links, "links"},
      {SmartFilter::facts, "facts"},
      {SmartFilter::images, "images"},
      {SmartFilter::gifs, "gifs"},
      {SmartFilter::pdfs, "pdfs"},
      {SmartFilter::wordDocuments, "word"},
      {SmartFilter::spreadsheets, "spreadsheets"},
      {SmartFilter::presentations, "presentations"},
      {SmartFilter::videos, "videos"},
      {SmartFilter::audio, "audio"},
      {SmartFilter::otherFiles, "other-files"},
  }};
};

/// The system's one test whether a text is a web link; the card library owns the rule.
inline bool isLink(std::string_view text) { return isWebLink(text); }

/// Localised.
std::string title(SmartFilter filter);
KelvoIcon icon(SmartFilter filter);
/// `smartFilterIdentifierPrefix` followed by the raw value.
std::string accessibilityIdentifier(SmartFilter filter);
/// "No " + the title lower-cased + " yet", localised.
std::string emptyTitle(SmartFilter filter);
/// The same for every filter; localised.
std::string emptyDetail(SmartFilter filter);

inline constexpr std::string_view smartFilterIdentifierPrefix = "smart-filter-";
/// The accessibility identifier of the line shown when a filter is empty.
inline constexpr std::string_view smartFilterEmptyLineIdentifier = "smart-filter-empty";
/// Localised texts of the whole row.
std::string smartFilterEmptyLibraryText();
std::string smartFilterCountingText();

/// The extension sets, lower case without the dot, built once. No extension is in two.
using SmartFilterExtensions = std::unordered_set<std::string_view>;
const SmartFilterExtensions& smartFilterGifExtensions();
const SmartFilterExtensions& smartFilterPdfExtensions();
const SmartFilterExtensions& smartFilterWordExtensions();
const SmartFilterExtensions& smartFilterSpreadsheetExtensions();
const SmartFilterExtensions& smartFilterPresentationExtensions();
const SmartFilterExtensions& smartFilterVideoExtensions();
const SmartFilterExtensions& smartFilterAudioExtensions();
const SmartFilterExtensions& smartFilterImageExtensions();
/// Each extension set with the filter it decides, in the order of the filters.
using SmartFilterExtensionSet = std::pair<const SmartFilterExtensions*, SmartFilter>;
std::span<const SmartFilterExtensionSet> smartFilterExtensionSets();

/// Text is `links` or `textSnippets` by the link test on the payload; a fact is `facts`. For
/// the rest the file name's extension (lower-cased in the root locale) decides first; without a
/// known one an image is `images`, a file or document `otherFiles`.
SmartFilter classifySmartFilter(CardType type, std::optional<std::string_view> filename,
                                std::string_view payload);

/// The card's filter from its stored "typeRaw" (unknown or missing reads as file), "filename"
/// and, for a text card only, "payload". Run where the card's context allows.
SmartFilter smartFilter(const Card& card);

/// How many items fall into each filter; only the filters met have an entry.
template <class Items, class Classify>
std::map<SmartFilter, std::int64_t> smartFilterCounts(const Items& items, Classify&& classify) {
  // Tallied in an array first: a map lookup per item cost more than classifying most items.
  std::array<std::int64_t, 12> tally{};
  std::map<SmartFilter, std::int64_t> counts;
  for (const auto& item : items) {
    const SmartFilter filter = classify(item);
    const auto slot = static_cast<std::size_t>(filter);
    if (slot < tally.size()) {
      ++tally[slot];
    } else {
      ++counts[filter];
    }
  }
  for (std::size_t slot = 0; slot < tally.size(); ++slot) {
    if (tally[slot] > 0) counts[static_cast<SmartFilter>(slot)] += tally[slot];
  }
  return counts;
}

/// The filters worth showing, in declaration order: those counted at least once, and `keeping`
/// (the selected one) even when it has become empty.
std::vector<SmartFilter> visibleSmartFilters(const std::map<SmartFilter, std::int64_t>& counts,
                                             std::optional<SmartFilter> keeping);

}  // namespace kelvo
