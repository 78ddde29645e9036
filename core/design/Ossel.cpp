#include "core/design/Ossel.hpp"

#include <array>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

struct ExpressionRow {
  Ossel::Expression expression;
  Ossel::MouthShape mouthShape;
  double duration;
  bool isThrottledAntic;
  bool hasOpenMouth;
  bool isWorking;  // suppresses blinking and shows the mouth at every detail
};

using Mouth = Ossel::MouthShape;
using E = Ossel::Expression;

constexpr std::array<ExpressionRow, 6> expressions{{
    {E::idle, Mouth::smile, 0.0, false, false, false},
    {E::waving, Mouth::smile, 1.2, true, false, false},
    {E::catching, Mouth::open, 0.2, false, true, false},
    {E::bouncing, Mouth::smile, 0.9, true, false, false},
    {E::winking, Mouth::smile, 0.2, true, false, false},
    {E::working, Mouth::neutral, 1.4, false, false, true},
}};

const ExpressionRow& row(E expression) {
  const auto index = static_cast<std::size_t>(expression);
  if (index >= expressions.size() || expressions[index].expression != expression) {
    fatal("Ossel::Expression: not an expression");
  }
  return expressions[index];
}

}  // namespace

bool showsMouth(Ossel::Detail detail) { return detail != Ossel::Detail::minimal; }
bool showsHighlight(Ossel::Detail detail) { return detail == Ossel::Detail::full; }

Ossel::MouthShape mouthShape(E expression) { return row(expression).mouthShape; }
double duration(E expression) { return row(expression).duration; }
bool isThrottledAntic(E expression) { return row(expression).isThrottledAntic; }
bool hasOpenMouth(E expression) { return row(expression).hasOpenMouth; }
bool suppressesBlink(E expression) { return row(expression).isWorking; }
bool showsMouthRegardlessOfDetail(E expression) { return row(expression).isWorking; }

}  // namespace kelvo
