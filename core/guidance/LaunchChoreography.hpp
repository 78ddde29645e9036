#pragma once

// The timing model of the launch screen: for a time since the screen appeared, the moment the
// library became ready (if it has) and the reduce-motion setting, one frame of the animation. The
// host asks for a frame on every display refresh, draws it, and dismisses the screen once a frame
// is complete:
//
//   const std::optional<double> readyAt = 0.5;  // seconds after the screen appeared
//   const auto early = LaunchChoreography::frame(0.2, readyAt, /*reduceMotion=*/false);
//   const double end = LaunchChoreography::dismissAt(readyAt, /*reduceMotion=*/false);
//   const bool complete = LaunchChoreography::frame(end, readyAt, false).isComplete;  // true

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

struct LaunchChoreography {
  // Seconds.
  static constexpr double minimumBeat = 0.7;
  static constexpr double assemblyDuration = 1.1;
  static constexpr double minimumAssembly = 0.4;
  static constexpr double settleDuration = 0.3;
  static constexpr double handoffDuration = 0.32;
  static constexpr double statusThreshold = 1.0;
  static constexpr double maximumWait = 3.0;

  enum class Phase : std::uint8_t { assembling, settling, handoff, done };

  /// One frame; every fraction lies in 0…1 and `lockUpScale` in 1…1.06.
  struct Frame {
    Phase phase = Phase::assembling;
    double progress = 0;
    double assembly = 0;
    double markOpacity = 0;
    double markLight = 0;
    double wordmarkOpacity = 0;
    double lockUpScale = 1;
    double exitProgress = 0;
    bool showsStatus = false;
    bool isSlow = false;
    bool isComplete = false;

    friend bool operator==(const Frame&, const Frame&) = default;
  };

  /// The frame at `elapsed` seconds. A ready time that is absent, infinite or NaN means the
  /// library is still opening; a negative, infinite or NaN `elapsed` reads as 0.
  static Frame frame(double elapsed, std::optional<double> workReadyAt, bool reduceMotion);
  /// The elapsed time from which the frame is `done`; +∞ while the library is still opening.
  static double dismissAt(std::optional<double> workReadyAt, bool reduceMotion);
};

template <>
struct RawValues<LaunchChoreography::Phase> {
  using Phase = LaunchChoreography::Phase;
  static constexpr std::array<std::pair<Phase, std::string_view>, 4> table{{
      {Phase::assembling, "assembling"},
      {Phase::settling, "settling"},
      {Phase::handoff, "handoff"},
      {Phase::done, "done"},
  }};
};

/// The launch screen's texts, localised at every read.
struct LaunchCopy {
  static std::string markLabel();
  static std::string wordmark();
  static std::string status();
  static std::string slowStatus();
};

/// Accessibility identifiers of the launch screen.
struct LaunchIdentifiers {
  static constexpr std::string_view screen = "launch.screen";
  static constexpr std::string_view mark = "launch.mark";
  static constexpr std::string_view wordmark = "launch.wordmark";
  static constexpr std::string_view status = "launch.status";
};

}  // namespace kelvo
