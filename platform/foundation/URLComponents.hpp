#pragma once

// Links read and built part by part. The application's own links and the links it hands on
// are made here rather than by pasting text together, so that a value holding "&", "=", "#"
// or spaces reads back exactly as it was written:
//
//   URLComponents parts;
//   parts.scheme = "kelvo";
//   parts.host = "search";
//   parts.queryItems = std::vector<URLQueryItem>{{"q", "tax & vat"}};
//   const std::optional<std::string> link = parts.string();  // "kelvo://search?q=tax%20%26%20vat"
//   const std::optional<std::string> query = URLComponents::parse(*link)->firstValue("q");

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/URL.hpp"

namespace kelvo {

/// One "name=value" pair of a query, decoded. An item written without "=" has no value.
struct URLQueryItem {
  std::string name;
  std::optional<std::string> value;

  friend bool operator==(const URLQueryItem&, const URLQueryItem&) = default;
};

/// The parts of a URL, percent-decoded, for reading links and building them. Building encodes
/// every part again, so any text set here reads back unchanged from the URL it builds.
struct URLComponents {
  URLComponents() = default;
  explicit URLComponents(const URL& url);
  /// None for text that is not a URI reference (see `URL::parse`).
  static std::optional<URLComponents> parse(std::string_view text);

  std::optional<std::string> scheme;
  std::optional<std::string> user;
  std::optional<std::string> password;
  /// Empty for an empty authority ("kelvo:///card"); none without "//". An IP literal keeps its
  /// brackets ("[::1]").
  std::optional<std::string> host;
  std::optional<int> port;
  std::string path;
  /// In order, "+" kept as "+"; none when there is no "?", empty for a bare "?".
  std::optional<std::vector<URLQueryItem>> queryItems;
  std::optional<std::string> fragment;

  /// The URL text, with query names and values encoded outside the unreserved characters; none
  /// when the parts cannot form a URL (a bad scheme, a port outside 0...65535, a relative path
  /// after a host, a path starting "//" without a host).
  std::optional<std::string> string() const;
  std::optional<URL> url() const;

  /// The value of the first item called `name` that carries a value.
  std::optional<std::string> firstValue(std::string_view name) const;
};

}  // namespace kelvo
