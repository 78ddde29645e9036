#pragma once

// The fixed list of feature tutorials: seven for touch devices and twelve for the Mac, each with a
// title, what the feature is for, where to find it, an optional app link and, on the Mac, a
// storyboard:
//
//   std::vector<std::string> rows;  // seven on touch devices
//   for (const TutorialFeature& feature : TutorialCatalogue::listed(TutorialPlatform::touch))
//     rows.push_back(feature.title + ": " + feature.purpose);

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/widget/KelvoURL.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class TutorialPlatform : std::uint8_t { touch, mac };

template <>
struct RawValues<TutorialPlatform> {
  static constexpr std::array<std::pair<TutorialPlatform, std::string_view>, 2> table{{
      {TutorialPlatform::touch, "touch"},
      {TutorialPlatform::mac, "mac"},
  }};
};

enum class TutorialStoryboardID : std::uint8_t {
  libraryFolders,
  keepFromToolbar,
  searchFromToolbar,
  summon,
  finderDrop,
  beamCrossDevice,
  deskDrop,
  kelvoBar,
  keyboard,
  fillForm,
  agenda,
  tools,
};

template <>
struct RawValues<TutorialStoryboardID> {
  using S = TutorialStoryboardID;
  static constexpr std::array<std::pair<S, std::string_view>, 12> table{{
      {S::libraryFolders, "libraryFolders"},
      {S::keepFromToolbar, "keepFromToolbar"},
      {S::searchFromToolbar, "searchFromToolbar"},
      {S::summon, "summon"},
      {S::finderDrop, "finderDrop"},
      {S::beamCrossDevice, "beamCrossDevice"},
      {S::deskDrop, "deskDrop"},
      {S::kelvoBar, "kelvoBar"},
      {S::keyboard, "keyboard"},
      {S::fillForm, "fillForm"},
      {S::agenda, "agenda"},
      {S::tools, "tools"},
  }};
};

/// One tutorial; identified by its slug.
struct TutorialFeature {
  /// Unique across the catalogue; the base of the clip's file name.
  std::string slug;
  std::string title;
  /// What the feature is for; begins with "For".
  std::string purpose;
  std::optional<KelvoURL> destination;
  std::string whereToFind;
  /// Sort key within a platform's list.
  std::int64_t order;
  std::set<TutorialPlatform> platforms;
  std::optional<TutorialStoryboardID> storyboard;

  const std::string& id() const { return slug; }
  /// The slug and ".mp4".
  std::string clipFilename() const { return slug + ".mp4"; }

  friend bool operator==(const TutorialFeature&, const TutorialFeature&) = default;
};

struct TutorialCatalogue {
  /// The resource folder that holds the clips.
  static constexpr std::string_view bundleSubdirectory = "Tutorials";

  /// Built once; titles localised then.
  static const std::vector<TutorialFeature>& touch();
  static const std::vector<TutorialFeature>& mac();
  /// The touch list, then the Mac list.
  static std::vector<TutorialFeature> all();
  /// The features listed on `platform`, by order (ties keep the order of `all`).
  static std::vector<TutorialFeature> listed(TutorialPlatform platform = TutorialPlatform::touch);
  /// The feature with exactly this slug, or none.
  static std::optional<TutorialFeature> feature(std::string_view slug);
};

}  // namespace kelvo
