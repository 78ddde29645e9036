#pragma once

// The tutorials' walkthrough clips: finds a tutorial's clip, decides whether it can be played and
// lists the touch tutorials that have one. Where a file is, and how large, are answered by the two
// functions the library is made with (the second reads the file's size unless given); nothing is
// cached. A host looks in its resource folder:
//
//   const auto playable = [](const std::filesystem::path& resources) {
//     const TutorialLibrary library([resources](std::string_view name) -> std::optional<URL> {
//       const auto path = resources / TutorialCatalogue::bundleSubdirectory / name;
//       return std::filesystem::exists(path) ? std::optional(URL::fileURL(path)) : std::nullopt;
//     });
//     return library.featuresWithClips();  // the touch tutorials with a clip to play
//   };

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/guidance/TutorialCatalogue.hpp"
#include "platform/foundation/URL.hpp"

namespace kelvo {

class TutorialClip {
 public:
  /// The clip exists and holds at least one byte.
  struct Ready {
    URL url;
    friend bool operator==(const Ready&, const Ready&) = default;
  };
  /// The clip was found but cannot be played; the reason is a sentence for the user.
  struct Unplayable {
    std::string reason;
    friend bool operator==(const Unplayable&, const Unplayable&) = default;
  };
  struct Missing {
    friend bool operator==(Missing, Missing) = default;
  };
  using Value = std::variant<Ready, Unplayable, Missing>;

  TutorialClip(Value value) : value_(std::move(value)) {}
  static TutorialClip ready(URL url) { return TutorialClip(Ready{std::move(url)}); }
  static TutorialClip unplayable(std::string reason) {
    return TutorialClip(Unplayable{std::move(reason)});
  }
  static TutorialClip missing() { return TutorialClip(Missing{}); }

  const Value& value() const { return value_; }
  /// The location of a ready clip.
  std::optional<URL> url() const;
  bool isPlayable() const { return std::holds_alternative<Ready>(value_); }

  friend bool operator==(const TutorialClip&, const TutorialClip&) = default;

 private:
  Value value_;
};

/// Both functions may be called from any thread.
class TutorialLibrary {
 public:
  using Locate = std::function<std::optional<URL>(std::string_view fileName)>;
  using Measure = std::function<std::optional<std::int64_t>(const URL& location)>;

  static constexpr std::string_view unreadableReason = "The walkthrough file could not be read.";
  static constexpr std::string_view emptyReason =
      "The walkthrough file is empty, so there is nothing to play.";

  /// `locate` is required; `measure` defaults to `byteCount`, also when given empty.
  explicit TutorialLibrary(Locate locate, Measure measure = byteCount);

  /// A location that is not a file URL counts as one byte; a file's size, or none when it cannot
  /// be read (missing, a folder, no permission).
  static std::optional<std::int64_t> byteCount(const URL& location);

  TutorialClip clip(const TutorialFeature& feature) const;
  /// The touch tutorials whose clip is ready, in listing order.
  std::vector<TutorialFeature> featuresWithClips() const;
  bool isEmpty() const { return featuresWithClips().empty(); }

 private:
  Locate locate_;
  Measure measure_;
};

}  // namespace kelvo
