#include "core/search/SmartFilter.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/Card.hpp"
#include "core/model/FileNames.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

struct Presentation {
  std::string_view title;
  KelvoIcon icon;
};

constexpr std::array<Presentation, 12> presentations = {{
    {"Text snippets", KelvoIcon::textCard},
    {"Links", KelvoIcon::factURL},
    {"Facts", KelvoIcon::factCard},
    {"Images", KelvoIcon::imageCard},
    {"GIFs", KelvoIcon::filterGIF},
    {"PDFs", KelvoIcon::filterPDF},
    {"Word documents", KelvoIcon::filterWordDocument},
    {"Spreadsheets", KelvoIcon::filterSpreadsheet},
    {"Presentations", KelvoIcon::filterPresentation},
    {"Videos", KelvoIcon::filterVideo},
    {"Audio", KelvoIcon::filterAudio},
    {"Other files", KelvoIcon::fileCard},
}};

const Presentation& presentation(SmartFilter filter) {
  return presentations[std::min<std::size_t>(static_cast<std::size_t>(filter), 11)];
}

// An extension of at most seven bytes, ASCII letters lower-cased, packed into one number with
// its length in the top byte; none for a longer one, which no set holds.
std::optional<std::uint64_t> packedExtension(std::string_view extension) {
  if (extension.size() > 7) return std::nullopt;
  std::uint64_t packed = static_cast<std::uint64_t>(extension.size()) << 56;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    auto byte = static_cast<unsigned char>(extension[i]);
    if (byte >= 'A' && byte <= 'Z') byte += 'a' - 'A';
    packed |= static_cast<std::uint64_t>(byte) << (8 * i);
  }
  return packed;
}

// Every known extension, packed and sorted, with the filter it decides.
using ExtensionTable = std::vector<std::pair<std::uint64_t, SmartFilter>>;

const ExtensionTable& extensionTable() {
  static const ExtensionTable table = [] {
    ExtensionTable built;
    for (const auto& [set, filter] : smartFilterExtensionSets()) {
      for (const std::string_view extension : *set) {
        if (const auto packed = packedExtension(extension)) built.emplace_back(*packed, filter);
      }
    }
    std::sort(built.begin(), built.end());
    return built;
  }();
  return table;
}

// The filter the extension decides. An ASCII extension is lower-cased in place, without
// allocating; others go through the root locale, which may map them to ASCII (the Kelvin sign
// to "k").
std::optional<SmartFilter> filterForExtension(std::string_view extension) {
  std::string storage;
  if (!isASCII(extension)) {
    storage = text::lowercased(extension);
    extension = storage;
  }
  const auto packed = packedExtension(extension);
  if (!packed) return std::nullopt;
  const ExtensionTable& table = extensionTable();
  const auto found =
      std::lower_bound(table.begin(), table.end(), *packed,
                       [](const auto& entry, std::uint64_t key) { return entry.first < key; });
  if (found == table.end() || found->first != *packed) return std::nullopt;
  return found->second;
}

}  // namespace

std::string title(SmartFilter filter) { return localized(presentation(filter).title); }

KelvoIcon icon(SmartFilter filter) { return presentation(filter).icon; }

std::string accessibilityIdentifier(SmartFilter filter) {
  return std::string(smartFilterIdentifierPrefix) + std::string(rawValue(filter));
}

std::string emptyTitle(SmartFilter filter) {
  return localized("No %@ yet", text::lowercased(title(filter)));
}

std::string emptyDetail(SmartFilter) {
  return localized("Kelvo sorts cards in here on its own. Keep one and it appears.");
}

std::string smartFilterEmptyLibraryText() {
  return localized(
      "Keep something and Kelvo sorts it here on its own \u2014 text, links, images, PDFs and "
      "more.");
}

std::string smartFilterCountingText() { return localized("Sorting your cards\u2026"); }

// Built once and kept for the life of the process.
const SmartFilterExtensions& smartFilterGifExtensions() {
  static const SmartFilterExtensions set{"gif"};
  return set;
}
const SmartFilterExtensions& smartFilterPdfExtensions() {
  static const SmartFilterExtensions set{"pdf"};
  return set;
}
const SmartFilterExtensions& smartFilterWordExtensions() {
  static const SmartFilterExtensions set{"doc",   "docx", "dot",  "dotx",
                                         "pages", "rtf",  "rtfd", "odt"};
  return set;
}
const SmartFilterExtensions& smartFilterSpreadsheetExtensions() {
  static const SmartFilterExtensions set{"xls", "xlsx", "xlsm", "numbers", "csv", "tsv", "ods"};
  return set;
}
const SmartFilterExtensions& smartFilterPresentationExtensions() {
  static const SmartFilterExtensions set{"ppt", "pptx", "key", "odp"};
  return set;
}
const SmartFilterExtensions& smartFilterVideoExtensions() {
  static const SmartFilterExtensions set{"mp4", "m4v", "mov",  "qt",  "avi", "mkv", "webm", "wmv",
                                         "flv", "mpg", "mpeg", "3gp", "3g2", "mts", "m2ts", "ogv"};
  return set;
}
const SmartFilterExtensions& smartFilterAudioExtensions() {
  static const SmartFilterExtensions set{"mp3",  "m4a",  "m4b",  "aac",  "wav", "aif",
                                         "aiff", "aifc", "flac", "ogg",  "oga", "opus",
                                         "caf",  "wma",  "mid",  "midi", "amr"};
  return set;
}
const SmartFilterExtensions& smartFilterImageExtensions() {
  static const SmartFilterExtensions set{"png",  "jpg",  "jpeg", "heic", "heif",
                                         "webp", "tiff", "tif",  "bmp",  "svg"};
  return set;
}

std::span<const SmartFilterExtensionSet> smartFilterExtensionSets() {
  static const SmartFilterExtensionSet sets[] = {
      {&smartFilterGifExtensions(), SmartFilter::gifs},
      {&smartFilterPdfExtensions(), SmartFilter::pdfs},
      {&smartFilterWordExtensions(), SmartFilter::wordDocuments},
      {&smartFilterSpreadsheetExtensions(), SmartFilter::spreadsheets},
      {&smartFilterPresentationExtensions(), SmartFilter::presentations},
      {&smartFilterVideoExtensions(), SmartFilter::videos},
      {&smartFilterAudioExtensions(), SmartFilter::audio},
      {&smartFilterImageExtensions(), SmartFilter::images},
  };
  return sets;
}

SmartFilter classifySmartFilter(CardType type, std::optional<std::string_view> filename,
                                std::string_view payload) {
  if (type == CardType::text)
    return isLink(payload) ? SmartFilter::links : SmartFilter::textSnippets;
  if (type == CardType::fact) return SmartFilter::facts;
  if (const auto decided = filterForExtension(FileNames::pathExtension(filename.value_or("")))) {
    return *decided;
  }
  return type == CardType::image ? SmartFilter::images : SmartFilter::otherFiles;
}

SmartFilter smartFilter(const Card& card) {
  const CardType type = card.type();
  const std::optional<std::string> filename = card.filename();
  const std::string payload = type == CardType::text ? card.payload() : std::string();
  return classifySmartFilter(type, filename, payload);
}

std::vector<SmartFilter> visibleSmartFilters(const std::map<SmartFilter, std::int64_t>& counts,
                                             std::optional<SmartFilter> keeping) {
  std::vector<SmartFilter> visible;
  for (const SmartFilter filter : allCases<SmartFilter>()) {
    const auto found = counts.find(filter);
    if ((found != counts.end() && found->second >= 1) || filter == keeping) {
      visible.push_back(filter);
    }
  }
  return visible;
}

}  // namespace kelvo
