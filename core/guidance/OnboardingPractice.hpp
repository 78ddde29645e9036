#pragma once

// The tour's hands-on exercise on one example card: save it, find it with the real search engine,
// copy it and paste it. Nothing reaches the user's library; the saved example lives only in this
// value:
//
//   OnboardingPractice practice;
//   practice.saveExample();
//   const bool found = !practice.results("rebrand").empty();  // the real search engine
//   const std::string copied = OnboardingPractice::sample().payload;  // what the user copies
//   practice.recordCopy(copied);
//   const auto pasted = practice.recordPaste(copied);  // matched

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/guidance/OnboardingPage.hpp"
#include "core/search/SearchableCard.hpp"

namespace kelvo {

class OnboardingPractice {
 public:
  enum class Phase : std::uint8_t { readyToSave, saved, copied, pasted };
  enum class PasteResult : std::uint8_t { matched, mismatch };

  /// The most results a practice search asks for.
  static constexpr std::int64_t searchLimit = 200;

  /// The reply sample, built once.
  static const OnboardingSample& sample();
  /// The sample as the search engine sees it.
  static SearchableCard practiceCard();

  Phase phase() const { return phase_; }
  /// The text last pasted into the practice field.
  const std::string& draft() const { return draft_; }
  std::int64_t savedCardCount() const { return hasSavedExample_ ? 1 : 0; }

  /// True the first time; later calls change nothing.
  bool saveExample();
  /// The reply sample when the saved example matches `query` in a one-card index; else empty.
  std::vector<OnboardingSample> results(std::string_view query) const;
  /// True, and phase `copied`, when the example is saved and `text` is the sample's payload
  /// (up to canonical equivalence).
  bool recordCopy(std::string_view text);
  /// Keeps `text` as the draft; `matched` once copied when it is the payload.
  PasteResult recordPaste(std::string_view text);
  void reset() { *this = OnboardingPractice(); }

  friend bool operator==(const OnboardingPractice&, const OnboardingPractice&) = default;

 private:
  Phase phase_ = Phase::readyToSave;
  std::string draft_;
  bool hasSavedExample_ = false;
};

}  // namespace kelvo
