#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

/// The ASCII characters a part of a URL may hold unencoded; every other byte is percent-encoded.
enum class URLCharacterSet {
  /// Letters, digits and "-._~" only: the safe choice for query names and values.
  unreserved,
  /// What a host name may hold (unreserved and sub-delimiters).
  hostAllowed,
  /// What a path may hold, "/" included.
  pathAllowed,
  /// What a query may hold; "&", "=" and "+" pass through, so it is unfit for single values.
  queryAllowed,
  /// What a fragment may hold.
  fragmentAllowed,
  /// What the user or password of an authority may hold.
  userAllowed,
};

/// Percent-encodes every byte of `text` outside `allowed`, with upper-case hex digits.
std::string percentEncoded(std::string_view text, URLCharacterSet allowed);

/// Decodes percent escapes; none when an escape is malformed or the result is not valid UTF-8.
/// A "+" stays a "+".
std::optional<std::string> percentDecoded(std::string_view text);

/// An RFC 3986 URI reference, parsed and validated. Immutable; compares by its text.
class URL {
 public:
  /// None for text that is not a URI reference (spaces, non-ASCII letters, a malformed escape, a
  /// port beyond 65535) and for the empty text.
  static std::optional<URL> parse(std::string_view text);
  /// The "file" URL of a path, made absolute against the working folder and percent-encoded:
  /// "/tmp/a b.mp4" gives "file:///tmp/a%20b.mp4", whose `path()` reads "/tmp/a b.mp4".
  static URL fileURL(const std::filesystem::path& path);

  /// Whether the scheme is "file", in any letter case.
  bool isFileURL() const;

  /// The text as given.
  const std::string& absoluteString() const { return text_; }
  /// The scheme as written ("HTTP" stays upper case).
  const std::optional<std::string>& scheme() const { return scheme_; }
  /// The percent-decoded host; none when the URL has no authority or an empty host ("http://").
  std::optional<std::string> host() const;
  std::optional<int> port() const { return port_; }
  /// The path, percent-decoded; as written when its escapes do not decode to UTF-8.
  std::string path() const;
  /// The path exactly as written.
  const std::string& percentEncodedPath() const { return path_; }
  /// The percent-decoded pieces of the path between slashes, empty pieces dropped.
  std::vector<std::string> pathComponents() const;
  /// The last of `pathComponents()`, or empty when there is none.
  std::string lastPathComponent() const;
  /// The query as written, without "?"; none when the URL has no "?".
  const std::optional<std::string>& query() const { return query_; }
  /// The fragment as written, without "#".
  const std::optional<std::string>& fragment() const { return fragment_; }

  friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

 private:
  friend struct URLComponents;
  URL() = default;

  std::string text_;
  std::optional<std::string> scheme_;
  std::optional<std::string> user_;  // user information as written, before "@"
  std::optional<std::string> host_;  // as written, without IPv6 brackets; set with an authority
  bool hostIsIPLiteral_ = false;
  std::optional<int> port_;
  std::string path_;
  std::optional<std::string> query_;
  std::optional<std::string> fragment_;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::URL> {
  size_t operator()(const kelvo::URL& url) const noexcept {
    return std::hash<std::string>{}(url.absoluteString());
  }
};
