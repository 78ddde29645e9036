#include "core/model/MergeableByID.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

bool isNaN(Date date) { return std::isnan(date.timeIntervalSinceReferenceDate()); }

bool earlier(Date a, Date b) {
  if (isNaN(a) || isNaN(b)) return !isNaN(a) && isNaN(b);
  return a < b;
}

bool sameMoment(Date a, Date b) { return isNaN(a) ? isNaN(b) : a == b; }

}  // namespace

MergeKey MergeKey::make(Date createdAt, std::string_view signature) {
  return {createdAt, text::nfc(signature)};
}

bool mergePrecedes(const MergeKey& a, const MergeKey& b) {
  if (earlier(a.createdAt, b.createdAt)) return true;
  // UTF-8 in byte order is text in Unicode scalar order.
  return sameMoment(a.createdAt, b.createdAt) && a.signature < b.signature;
}

bool mergeTies(const MergeKey& a, const MergeKey& b) {
  return sameMoment(a.createdAt, b.createdAt) && a.signature == b.signature;
}

}  // namespace kelvo
