#include "core/import/ImportDestination.hpp"

#include "core/import/internal/TextEquality.hpp"

namespace kelvo {

bool operator==(const ImportDestination& a, const ImportDestination& b) {
  using Destination = ImportDestination;
  if (const auto* left = std::get_if<Destination::NewShelf>(&a.value)) {
    const auto* right = std::get_if<Destination::NewShelf>(&b.value);
    return right && left->inProject == right->inProject &&
           text::canonicallyEqual(left->name, right->name);
  }
  const auto* right = std::get_if<Destination::Existing>(&b.value);
  return right && std::get<Destination::Existing>(a.value).shelf == right->shelf;
}

}  // namespace kelvo

std::size_t std::hash<kelvo::ImportDestination>::operator()(
    const kelvo::ImportDestination& destination) const noexcept {
  using kelvo::hashCombine;
  std::size_t seed = destination.value.index();
  if (const auto* shelf = std::get_if<kelvo::ImportDestination::NewShelf>(&destination.value)) {
    hashCombine(seed, kelvo::text::canonicalHash(shelf->name));
    hashCombine(seed, shelf->inProject ? std::hash<kelvo::UUID>{}(*shelf->inProject) : 0);
    hashCombine(seed, shelf->inProject.has_value());
  } else {
    hashCombine(seed, std::hash<kelvo::UUID>{}(
                          std::get<kelvo::ImportDestination::Existing>(destination.value).shelf));
  }
  return seed;
}
