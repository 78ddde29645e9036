#include "platform/foundation/URL.hpp"

#include <uriparser/Uri.h>

#include <array>
#include <cstdint>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Hex.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

constexpr std::string_view hexDigits = "0123456789ABCDEF";

bool isUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool isSubDelimiter(unsigned char c) {
  return std::string_view("!$&'()*+,;=").find(static_cast<char>(c)) != std::string_view::npos;
}

bool isAllowed(unsigned char c, URLCharacterSet set) {
  if (isUnreserved(c)) return true;
  switch (set) {
    case URLCharacterSet::unreserved:
      return false;
    case URLCharacterSet::hostAllowed:
      return isSubDelimiter(c);
    case URLCharacterSet::userAllowed:
      return isSubDelimiter(c) && c != ':';
    case URLCharacterSet::pathAllowed:
      return isSubDelimiter(c) || c == ':' || c == '@' || c == '/';
    case URLCharacterSet::queryAllowed:
    case URLCharacterSet::fragmentAllowed:
      return isSubDelimiter(c) || c == ':' || c == '@' || c == '/' || c == '?';
  }
  return false;
}

std::string rangeText(const UriTextRangeA& range) {
  if (range.first == nullptr || range.afterLast == nullptr) return {};
  return std::string(range.first, static_cast<size_t>(range.afterLast - range.first));
}

std::optional<std::string> optionalText(const UriTextRangeA& range) {
  if (range.first == nullptr) return std::nullopt;
  return rangeText(range);
}

// The path's place in a validated reference, by the split of RFC 3986 appendix B.
std::string_view pathOf(std::string_view reference, bool hasScheme) {
  size_t start = 0;
  if (hasScheme) start = reference.find(':') + 1;
  if (reference.substr(start, 2) == "//") {
    start = reference.find_first_of("/?#", start + 2);
    if (start == std::string_view::npos) return {};
  }
  const size_t end = reference.find_first_of("?#", start);
  return reference.substr(start, end == std::string_view::npos ? end : end - start);
}

// An empty port counts as none; one past 65535 makes the reference unusable.
bool parsePort(std::string_view digits, std::optional<int>& port) {
  if (digits.empty()) return true;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 65535) return false;
  }
  port = value;
  return true;
}

}  // namespace

std::string percentEncoded(std::string_view text, URLCharacterSet allowed) {
  std::string encoded;
  encoded.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (isAllowed(c, allowed)) {
      encoded.push_back(ch);
    } else {
      encoded.push_back('%');
      encoded.push_back(hexDigits[c >> 4]);
      encoded.push_back(hexDigits[c & 0xF]);
    }
  }
  return encoded;
}

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded.push_back(text[i]);
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const int high = hexDigitValue(text[i + 1]);
    const int low = hexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded.push_back(static_cast<char>(high << 4 | low));
    i += 2;
  }
  if (!isValidUtf8(decoded)) return std::nullopt;
  return decoded;
}

std::optional<URL> URL::parse(std::string_view text) {
  if (text.empty()) return std::nullopt;
  UriUriA uri;
  const char* errorPosition = nullptr;
  if (uriParseSingleUriExA(&uri, text.data(), text.data() + text.size(), &errorPosition) !=
      URI_SUCCESS) {
    return std::nullopt;
  }
  URL url;
  url.text_.assign(text);
  url.scheme_ = optionalText(uri.scheme);
  url.user_ = optionalText(uri.userInfo);
  url.host_ = optionalText(uri.hostText);
  url.hostIsIPLiteral_ = uri.hostData.ip6 != nullptr || uri.hostData.ipFuture.first != nullptr;
  url.query_ = optionalText(uri.query);
  url.fragment_ = optionalText(uri.fragment);
  const bool portIsValid = parsePort(rangeText(uri.portText), url.port_);
  uriFreeUriMembersA(&uri);
  if (!portIsValid) return std::nullopt;
  url.path_.assign(pathOf(text, url.scheme_.has_value()));
  return url;
}

URL URL::fileURL(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  std::string text = absolute.string();
  if (text.empty() || text.front() != '/') text.insert(text.begin(), '/');
  auto url = parse("file://" + percentEncoded(text, URLCharacterSet::pathAllowed));
  // An encoded absolute path is always a valid URI.
  if (!url) fatal("no file URL for an encoded path");
  return *std::move(url);
}

bool URL::isFileURL() const {
  if (!scheme_ || scheme_->size() != 4) return false;
  const std::string_view file = "file";
  for (std::size_t i = 0; i < 4; ++i) {
    const char c = (*scheme_)[i];
    if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != file[i]) return false;
  }
  return true;
}

std::optional<std::string> URL::host() const {
  if (!host_ || host_->empty()) return std::nullopt;
  return percentDecoded(*host_).value_or(*host_);
}

std::string URL::path() const { return percentDecoded(path_).value_or(path_); }

std::vector<std::string> URL::pathComponents() const {
  std::vector<std::string> components;
  std::string_view rest = path_;
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    const std::string_view piece = rest.substr(0, slash);
    if (!piece.empty()) components.push_back(percentDecoded(piece).value_or(std::string(piece)));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return components;
}

std::string URL::lastPathComponent() const {
  auto components = pathComponents();
  return components.empty() ? std::string() : std::move(components.back());
}

}  // namespace kelvo
