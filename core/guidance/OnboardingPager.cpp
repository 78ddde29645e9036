#include "core/guidance/OnboardingPager.hpp"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Hash.hpp"

namespace kelvo {
namespace {

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

OnboardingPager::OnboardingPager(std::int64_t pageCount, std::int64_t pageIndex, double width,
                                 double translation)
    : pageCount_(std::max<std::int64_t>(pageCount, 1)),
      pageIndex_(std::clamp<std::int64_t>(pageIndex, 0, pageCount_ - 1)),
      width_(std::isfinite(width) && width > 0 ? width : 0),
      translation_(finiteOrZero(translation)) {}

double OnboardingPager::resisted(double translation) const {
  const double t = finiteOrZero(translation);
  if (width_ <= 0) return 0;
  const bool outward = (pageIndex_ == 0 && t > 0) || (pageIndex_ == pageCount_ - 1 && t < 0);
  if (!outward) return t;
  // k·w·|t| / (k·w + |t|), written so that no intermediate can overflow.
  const double stiffness = endResistance * width_;
  const double magnitude = std::abs(t);
  return std::copysign(stiffness * (magnitude / (stiffness + magnitude)), t);
}

double OnboardingPager::progress() const {
  const auto index = static_cast<double>(pageIndex_);
  if (width_ <= 0) return index;
  return index - resistedTranslation() / width_;
}

double OnboardingPager::clampedProgress() const {
  return std::clamp(progress(), 0.0, static_cast<double>(pageCount_ - 1));
}

double OnboardingPager::offset() const {
  return resistedTranslation() - width_ * static_cast<double>(pageIndex_);
}

std::int64_t OnboardingPager::commit(double velocity) const {
  const double v = finiteOrZero(velocity);
  if (pageCount_ < 2 || width_ <= 0) return pageIndex_;
  const double drag = resistedTranslation();
  const double direction = drag != 0 ? drag : v;
  if (direction == 0) return pageIndex_;
  const bool fling = std::abs(v) >= commitVelocity;
  if (fling && (v < 0) != (direction < 0)) return pageIndex_;
  if (!fling && std::abs(drag) < commitFraction * width_) return pageIndex_;
  const std::int64_t target = direction < 0 ? pageIndex_ + 1 : pageIndex_ - 1;
  return std::clamp<std::int64_t>(target, 0, pageCount_ - 1);
}

OnboardingPager OnboardingPager::settled(double velocity) const {
  return OnboardingPager(pageCount_, commit(velocity), width_, 0);
}

bool OnboardingPager::claimsDrag(double dx, double dy) {
  if (dx == 0) return false;
  return std::abs(dx) >= std::abs(dy) * horizontalDominance;
}

}  // namespace kelvo

std::size_t std::hash<kelvo::OnboardingPager>::operator()(
    const kelvo::OnboardingPager& pager) const noexcept {
  // Adding 0.0 turns −0 into +0, so equal pagers hash alike.
  std::size_t seed = std::hash<std::int64_t>{}(pager.pageCount());
  kelvo::hashCombine(seed, std::hash<std::int64_t>{}(pager.pageIndex()));
  kelvo::hashCombine(seed, std::hash<double>{}(pager.width() + 0.0));
  kelvo::hashCombine(seed, std::hash<double>{}(pager.translation() + 0.0));
  return seed;
}
