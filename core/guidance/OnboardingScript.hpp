#pragma once

// The ordered pages of a tour.
//
//   const OnboardingScript& script = OnboardingCopy::standardScript();
//   for (std::int64_t i = 0; i < script.pageCount(); ++i) show(*script.page(i));

#include <cstdint>
#include <vector>

#include "core/guidance/OnboardingPage.hpp"

namespace kelvo {

class OnboardingScript {
 public:
  explicit OnboardingScript(std::vector<OnboardingPage> pages) : pages_(std::move(pages)) {}

  const std::vector<OnboardingPage>& pages() const { return pages_; }
  std::int64_t pageCount() const { return static_cast<std::int64_t>(pages_.size()); }
  /// The page at a zero-based index, or null outside 0 ..< pageCount.
  const OnboardingPage* page(std::int64_t index) const;

  friend bool operator==(const OnboardingScript&, const OnboardingScript&) = default;

 private:
  std::vector<OnboardingPage> pages_;
};

}  // namespace kelvo
