#include "core/search/SmartShelfScope.hpp"

#include <vector>

#include "platform/foundation/Text.hpp"

namespace kelvo {

CardPredicate SmartShelfScope::composed() const {
  using P = CardPredicate;
  if (!projectName || projectName->empty()) return predicate;
  P project = P::project(*projectName);
  if (std::holds_alternative<P::All>(predicate.value())) return project;
  std::vector<P> members = {std::move(project)};
  if (const auto* all = std::get_if<P::And>(&predicate.value())) {
    members.insert(members.end(), all->members.begin(), all->members.end());
  } else {
    members.push_back(predicate);
  }
  return P(P::And{std::move(members)});
}

SmartShelfScope SmartShelfScope::decompose(const CardPredicate& predicate) {
  using P = CardPredicate;
  if (const auto* all = std::get_if<P::And>(&predicate.value()); all && !all->members.empty()) {
    if (const auto* project = std::get_if<P::Project>(&all->members.front().value())) {
      std::vector<P> rest(all->members.begin() + 1, all->members.end());
      if (rest.empty()) return {project->name, P::all()};
      if (rest.size() == 1) return {project->name, rest.front()};
      return {project->name, P(P::And{std::move(rest)})};
    }
  }
  if (const auto* project = std::get_if<P::Project>(&predicate.value())) {
    return {project->name, P::all()};
  }
  return {std::nullopt, predicate};
}

bool operator==(const SmartShelfScope& a, const SmartShelfScope& b) {
  if (a.projectName.has_value() != b.projectName.has_value()) return false;
  if (a.projectName && !text::canonicallyEqual(*a.projectName, *b.projectName)) return false;
  return a.predicate == b.predicate;
}

}  // namespace kelvo

size_t std::hash<kelvo::SmartShelfScope>::operator()(
    const kelvo::SmartShelfScope& scope) const noexcept {
  const std::size_t name =
      scope.projectName ? kelvo::text::canonicalHash(*scope.projectName) : 0x7F;
  return name * 31 + std::hash<kelvo::CardPredicate>{}(scope.predicate);
}
