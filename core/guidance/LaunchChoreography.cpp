#include "core/guidance/LaunchChoreography.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// 0 for NaN and −∞, 1 for +∞.
double clamp01(double x) {
  if (!(x > 0)) return 0;
  return x >= 1 ? 1 : x;
}

// The lengths both functions work from: assembly A, hand-off start h and length D.
struct Timeline {
  bool ready;
  double assembly;
  double handoffStart;
  double handoffLength;

  Timeline(std::optional<double> workReadyAt, bool reduceMotion) {
    ready = workReadyAt.has_value() && std::isfinite(*workReadyAt);
    const double w = ready ? std::max(*workReadyAt, 0.0) : 0;
    using L = LaunchChoreography;
    if (reduceMotion) {
      assembly = 0;
    } else if (!ready) {
      assembly = L::assemblyDuration;
    } else {
      assembly = std::min(std::max(w - L::settleDuration, L::minimumAssembly), L::assemblyDuration);
    }
    if (!ready) {
      handoffStart = infinity;
    } else if (reduceMotion) {
      handoffStart = std::max(L::minimumBeat, w);
    } else {
      handoffStart = std::max({L::minimumBeat, w, assembly + L::settleDuration});
    }
    handoffLength = reduceMotion ? 0 : L::handoffDuration;
  }
};

LaunchChoreography::Phase phaseAt(double t, const Timeline& line) {
  using Phase = LaunchChoreography::Phase;
  if (t < line.assembly) return Phase::assembling;
  if (t < line.handoffStart) return Phase::settling;
  if (t < line.handoffStart + line.handoffLength) return Phase::handoff;
  return Phase::done;
}

}  // namespace

LaunchChoreography::Frame LaunchChoreography::frame(double elapsed,
                                                    std::optional<double> workReadyAt,
                                                    bool reduceMotion) {
  const double t = std::isfinite(elapsed) && elapsed > 0 ? elapsed : 0;
  const Timeline line(workReadyAt, reduceMotion);
  Frame frame;
  frame.phase = phaseAt(t, line);
  const double total = std::isfinite(line.handoffStart) ? line.handoffStart + line.handoffLength
                                                        : line.assembly + settleDuration;
  frame.progress = total > 0 ? clamp01(t / total) : 1;
  if (reduceMotion) {
    frame.assembly = 1;
    frame.markOpacity = 1;
    frame.exitProgress = t >= line.handoffStart ? 1 : 0;
  } else {
    frame.assembly = clamp01(t / line.assembly);
    frame.markOpacity = clamp01((t - line.assembly) / settleDuration);
    frame.exitProgress = clamp01((t - line.handoffStart) / handoffDuration);
  }
  frame.markLight = clamp01((frame.markOpacity - 0.4) / 0.6);
  frame.wordmarkOpacity = clamp01((frame.markOpacity - 0.35) / 0.65);
  frame.lockUpScale = 1 + 0.06 * frame.exitProgress;
  frame.showsStatus = !line.ready && t >= statusThreshold;
  frame.isSlow = !line.ready && t >= maximumWait;
  frame.isComplete = frame.phase == Phase::done;
  return frame;
}

double LaunchChoreography::dismissAt(std::optional<double> workReadyAt, bool reduceMotion) {
  const Timeline line(workReadyAt, reduceMotion);
  return line.ready ? line.handoffStart + line.handoffLength : infinity;
}

std::string LaunchCopy::markLabel() { return localized("Kelvo is opening"); }
std::string LaunchCopy::wordmark() { return localized("Kelvo"); }
std::string LaunchCopy::status() { return localized("Opening your library\u2026"); }
std::string LaunchCopy::slowStatus() {
  return localized("Still opening. Large libraries take a moment.");
}

}  // namespace kelvo
