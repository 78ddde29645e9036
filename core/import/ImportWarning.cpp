#include "core/import/ImportWarning.hpp"

#include "core/import/internal/TextEquality.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo {
namespace {

using Warning = ImportWarning;

// The texts a case carries, in declaration order.
std::vector<std::string_view> textsOf(const Warning& warning) {
  return std::visit(
      Overloaded{
          [](const Warning::CursorMarkerRemoved&) { return std::vector<std::string_view>{}; },
          [](const Warning::ControlCodeRemoved& c) {
            return std::vector<std::string_view>{c.original};
          },
          [](const Warning::DynamicPlaceholderBecameBlank& c) {
            return std::vector<std::string_view>{c.original, c.blank};
          },
          [](const Warning::UnnamedFillNumbered& c) {
            return std::vector<std::string_view>{c.blank};
          },
          [](const Warning::ValueWasNotText& c) { return std::vector<std::string_view>{c.field}; },
      },
      warning.value);
}

}  // namespace

std::string ImportWarning::message() const {
  return std::visit(
      Overloaded{
          [](const CursorMarkerRemoved&) { return localized("A cursor marker was removed."); },
          [](const ControlCodeRemoved& c) {
            return localized("The code %@ is a keystroke, not text, and was removed.", c.original);
          },
          [](const DynamicPlaceholderBecameBlank& c) {
            return localized(
                "The placeholder %@ became the blank {%@}, which you fill when you reuse the "
                "card.",
                c.original, c.blank);
          },
          [](const UnnamedFillNumbered& c) {
            return localized("An unnamed fill-in became {%@}.", c.blank);
          },
          [](const ValueWasNotText& c) {
            return localized("Its %@ was not text, so the row was skipped.", c.field);
          },
      },
      value);
}

bool operator==(const ImportWarning& a, const ImportWarning& b) {
  if (a.value.index() != b.value.index()) return false;
  const auto left = textsOf(a), right = textsOf(b);
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (!text::canonicallyEqual(left[i], right[i])) return false;
  }
  return true;
}

}  // namespace kelvo

std::size_t std::hash<kelvo::ImportWarning>::operator()(
    const kelvo::ImportWarning& warning) const noexcept {
  std::size_t seed = warning.value.index();
  for (const std::string_view text : kelvo::textsOf(warning)) {
    kelvo::hashCombine(seed, kelvo::text::canonicalHash(text));
  }
  return seed;
}
