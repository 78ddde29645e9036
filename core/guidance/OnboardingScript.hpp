#pragma once

// The ordered pages of a tour:
//
//   const OnboardingScript& script = OnboardingCopy::standardScript();
//   std::vector<std::string> titles;  // "Keep what matters. Find it in a breath.", ...
//   for (std::int64_t i = 0; i < script.pageCount(); ++i) titles.push_back(script.page(i)->title);

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
