#include "core/import/ImportError.hpp"

#include "core/import/ImportCopy.hpp"

#include "core/import/internal/TextEquality.hpp"
#include "platform/foundation/Overloaded.hpp"

std::string kelvo::ImportError::message() const { return ImportCopy::error(*this); }

std::size_t std::hash<kelvo::ImportError>::operator()(
    const kelvo::ImportError& error) const noexcept {
  using kelvo::ImportError;
  std::size_t seed = error.value.index();
  const auto add = [&seed](std::size_t value) { kelvo::hashCombine(seed, value); };
  std::visit(
      kelvo::Overloaded{
          [&](const ImportError::TooLarge& c) {
            add(std::hash<std::int64_t>{}(c.byteCount));
            add(std::hash<std::int64_t>{}(c.limit));
          },
          [&](const ImportError::Malformed& c) {
            add(static_cast<std::size_t>(c.format));
            // An absent line hashes apart from every line.
            add(c.line ? std::hash<std::int64_t>{}(*c.line) : 0x51ed27);
            add(c.line.has_value());
          },
          [&](const ImportError::UnsupportedYet& c) { add(static_cast<std::size_t>(c.format)); },
          [&](const ImportError::TooManySnippets& c) { add(std::hash<std::int64_t>{}(c.limit)); },
          [](const auto&) {},
      },
      error.value);
  return seed;
}
