#include "core/widget/KelvoURL.hpp"

#include <map>
#include <vector>

#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/URLComponents.hpp"

namespace kelvo {
namespace {

std::string asciiLowercased(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The query's values by name: the first item that carries a value wins; names are
// case-sensitive.
std::map<std::string, std::string, std::less<>> queryValues(const URL& url) {
  std::map<std::string, std::string, std::less<>> values;
  const URLComponents components(url);
  if (!components.queryItems) return values;
  for (const URLQueryItem& item : *components.queryItems) {
    if (item.value) values.emplace(item.name, *item.value);
  }
  return values;
}

std::optional<std::string> valueOf(const std::map<std::string, std::string, std::less<>>& values,
                                   std::string_view name) {
  const auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<KelvoURL> KelvoURL::parse(const URL& url) {
  if (!url.scheme() || asciiLowercased(*url.scheme()) != scheme) return std::nullopt;

  // The kind stands in the host, or first in the path when there is no host.
  std::vector<std::string> parts;
  if (const auto host = url.host(); host && !host->empty()) parts.push_back(*host);
  const std::string path = url.path();
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  if (parts.empty()) return std::nullopt;
  const std::string kind = text::lowercased(parts[0]);
  const std::optional<std::string> argument =
      parts.size() > 1 ? std::optional<std::string>(parts[1]) : std::nullopt;
  const auto values = queryValues(url);

  // An argument in the path is used even when it is no identifier and the query has one.
  const auto identifier = [&]() -> std::optional<UUID> {
    const std::optional<std::string> text = argument ? argument : valueOf(values, "id");
    if (!text) return std::nullopt;
    return UUID::parse(*text);
  };

  if (kind == "card" || kind == "show") {
    const auto id = identifier();
    if (!id) return std::nullopt;
    return kind == "card" ? card(*id) : show(*id);
  }
  if (kind == "fill") {
    if (const auto id = identifier()) return fill(*id);
    return fillForm();
  }
  if (kind == "keep") {
    std::optional<std::string> text = valueOf(values, "text");
    if (!text) text = argument;
    if (text && text->empty()) text.reset();
    return keep(std::move(text));
  }
  if (kind == "search") {
    std::optional<std::string> query = valueOf(values, "q");
    if (!query) query = valueOf(values, "text");
    if (!query) query = argument;
    if (!query || text::trimmed(*query).empty()) return std::nullopt;
    return search(std::move(*query));
  }
  return std::nullopt;
}

std::optional<KelvoURL> KelvoURL::parse(std::string_view text) {
  const auto url = URL::parse(text);
  if (!url) return std::nullopt;
  return parse(*url);
}

std::optional<URL> KelvoURL::url() const {
  URLComponents components;
  components.scheme = std::string(scheme);
  std::visit(Overloaded{
                 [&](const Card& link) {
                   components.host = "card";
                   components.path = "/" + link.id.uuidString();
                 },
                 [&](const Show& link) {
                   components.host = "show";
                   components.path = "/" + link.cardID.uuidString();
                 },
                 [&](const Fill& link) {
                   components.host = "fill";
                   components.path = "/" + link.cardID.uuidString();
                 },
                 [&](const FillForm&) { components.host = "fill"; },
                 [&](const Search& link) {
                   components.host = "search";
                   components.queryItems = std::vector<URLQueryItem>{{"q", link.query}};
                 },
                 [&](const Keep& link) {
                   components.host = "keep";
                   if (link.text && !link.text->empty()) {
                     components.queryItems = std::vector<URLQueryItem>{{"text", *link.text}};
                   }
                 },
             },
             value_);
  return components.url();
}

}  // namespace kelvo
