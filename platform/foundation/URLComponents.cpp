#include "platform/foundation/URLComponents.hpp"

namespace kelvo {
namespace {

// Escapes were validated by the parser, so only text that is not UTF-8 once decoded stays as is.
std::string decoded(std::string_view text) {
  return percentDecoded(text).value_or(std::string(text));
}

std::vector<URLQueryItem> queryItemsOf(std::string_view query) {
  std::vector<URLQueryItem> items;
  if (query.empty()) return items;
  while (true) {
    const size_t ampersand = query.find('&');
    const std::string_view item = query.substr(0, ampersand);
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
      items.push_back({decoded(item), std::nullopt});
    } else {
      items.push_back({decoded(item.substr(0, equals)), decoded(item.substr(equals + 1))});
    }
    if (ampersand == std::string_view::npos) break;
    query.remove_prefix(ampersand + 1);
  }
  return items;
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    const char c = scheme[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && (i == 0 || !other)) return false;
  }
  return true;
}

}  // namespace

URLComponents::URLComponents(const URL& url)
    : scheme(url.scheme_), port(url.port_), path(url.path()) {
  if (url.user_) {
    const size_t colon = url.user_->find(':');
    user = decoded(std::string_view(*url.user_).substr(0, colon));
    if (colon != std::string::npos) password = decoded(url.user_->substr(colon + 1));
  }
  if (url.host_) host = url.hostIsIPLiteral_ ? "[" + *url.host_ + "]" : decoded(*url.host_);
  if (url.query_) queryItems = queryItemsOf(*url.query_);
  if (url.fragment_) fragment = decoded(*url.fragment_);
}

std::optional<URLComponents> URLComponents::parse(std::string_view text) {
  const auto url = URL::parse(text);
  if (!url) return std::nullopt;
  return URLComponents(*url);
}

std::optional<std::string> URLComponents::string() const {
  std::string text;
  if (scheme) {
    if (!isValidScheme(*scheme)) return std::nullopt;
    text += *scheme;
    text += ':';
  }
  const bool hasAuthority = host || user || password || port;
  if (hasAuthority) {
    text += "//";
    if (user || password) {
      text += percentEncoded(user.value_or(""), URLCharacterSet::userAllowed);
      if (password) text += ':' + percentEncoded(*password, URLCharacterSet::userAllowed);
      text += '@';
    }
    const std::string name = host.value_or("");
    const bool ipLiteral = name.size() >= 2 && name.front() == '[' && name.back() == ']';
    text += ipLiteral ? name : percentEncoded(name, URLCharacterSet::hostAllowed);
    if (port) {
      if (*port < 0 || *port > 65535) return std::nullopt;
      text += ':' + std::to_string(*port);
    }
    if (!path.empty() && path.front() != '/') return std::nullopt;
  } else {
    if (path.starts_with("//")) return std::nullopt;
    // Without a scheme, a colon in the first segment would read as one.
    if (!scheme && path.substr(0, path.find('/')).find(':') != std::string::npos) {
      return std::nullopt;
    }
  }
  text += percentEncoded(path, URLCharacterSet::pathAllowed);
  if (queryItems) {
    text += '?';
    for (size_t i = 0; i < queryItems->size(); ++i) {
      const URLQueryItem& item = (*queryItems)[i];
      if (i > 0) text += '&';
      text += percentEncoded(item.name, URLCharacterSet::unreserved);
      if (item.value) text += '=' + percentEncoded(*item.value, URLCharacterSet::unreserved);
    }
  }
  if (fragment) text += '#' + percentEncoded(*fragment, URLCharacterSet::fragmentAllowed);
  return text;
}

std::optional<URL> URLComponents::url() const {
  const auto text = string();
  if (!text) return std::nullopt;
  return URL::parse(*text);
}

std::optional<std::string> URLComponents::firstValue(std::string_view name) const {
  if (!queryItems) return std::nullopt;
  for (const URLQueryItem& item : *queryItems) {
    if (item.name == name && item.value) return item.value;
  }
  return std::nullopt;
}

}  // namespace kelvo
