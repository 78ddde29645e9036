#pragma once

// The tour's page position, its advance rules and the texts of the primary button and the page
// control:
//
//   OnboardingProgress progress = OnboardingProgress::make(5, 3).value();  // page 4 of 5
//   progress.advance();  // to the last page
//   const bool finishes = progress.advance().isFinish();  // true: the last page finishes
//   const std::string state = progress.pageControlValue();  // "Page 5 of 5"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace kelvo {

/// What the primary action does next.
class OnboardingAdvance {
 public:
  struct Next {
    std::int64_t pageIndex;
    friend bool operator==(const Next&, const Next&) = default;
  };
  struct Finish {
    friend bool operator==(Finish, Finish) = default;
  };
  using Value = std::variant<Next, Finish>;

  OnboardingAdvance(Value value) : value_(value) {}
  static OnboardingAdvance next(std::int64_t pageIndex) {
    return OnboardingAdvance(Next{pageIndex});
  }
  static OnboardingAdvance finish() { return OnboardingAdvance(Finish{}); }

  const Value& value() const { return value_; }
  bool isFinish() const { return std::holds_alternative<Finish>(value_); }

  friend bool operator==(const OnboardingAdvance&, const OnboardingAdvance&) = default;

 private:
  Value value_;
};

/// Always in range: 1 page at least, the index within the pages.
class OnboardingProgress {
 public:
  /// None when `pageCount` ≤ 0; the index is clamped into the pages.
  static std::optional<OnboardingProgress> make(std::int64_t pageCount, std::int64_t pageIndex = 0);
  /// At least one page, on the first page.
  static OnboardingProgress clampedTo(std::int64_t pageCount);

  std::int64_t pageCount() const { return pageCount_; }
  std::int64_t pageIndex() const { return pageIndex_; }
  std::int64_t pageNumber() const { return pageIndex_ + 1; }
  bool isFirstPage() const { return pageIndex_ == 0; }
  bool isFinalPage() const { return pageIndex_ == pageCount_ - 1; }
  bool isOnlyPage() const { return pageCount_ == 1; }
  /// 0 on the first page to 1 on the last; 1 with a single page.
  double fraction() const;

  /// What `advance()` would do, without doing it.
  OnboardingAdvance advanceAction() const;
  /// Moves to the next page, or reports `finish` on the last one and stays.
  OnboardingAdvance advance();
  void goBack();
  /// Ignores an index outside the pages.
  void go(std::int64_t index);

  std::string primaryActionTitle() const;
  std::string primaryActionHint() const;
  /// "Page 3 of 5", the numbers in the current locale.
  std::string pageControlValue() const;

  friend bool operator==(const OnboardingProgress&, const OnboardingProgress&) = default;

 private:
  OnboardingProgress(std::int64_t pageCount, std::int64_t pageIndex)
      : pageCount_(pageCount), pageIndex_(pageIndex) {}

  std::int64_t pageCount_;
  std::int64_t pageIndex_;
};

}  // namespace kelvo
