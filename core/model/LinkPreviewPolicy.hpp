#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/RawValues.hpp"
#include "platform/foundation/URL.hpp"

namespace kelvo {

class JSONReader;

/// When the host application should fetch a link card's preview (image, site icon and page
/// title), how it backs off after failures, and how a link is read, shown and keyed. It fetches
/// nothing itself.
struct LinkPreviewPolicy {
  /// The time the host allows one preview fetch.
  static constexpr TimeInterval timeout = 10;
  /// The largest pixel size of a fetched preview image.
  static constexpr int maximumPixelSize = 512;
  /// The pixel size of a fetched site icon.
  static constexpr int iconPixelSize = 128;
  /// How long a page found without an image is left alone: 7 days.
  static constexpr TimeInterval noImageRecheck = 604'800;

  /// How a fetch ended; stored by raw value.
  enum class Outcome : std::uint8_t { image, noImage, failed };

  /// The history of one link's preview fetches, kept by the host application.
  struct Record {
    /// Consecutive failed fetches; 0 after any fetch that did not fail.
    std::int64_t attempts = 0;
    Date lastAttempt;
    Outcome outcome = Outcome::failed;

    friend bool operator==(const Record&, const Record&) = default;

    /// Reads the object with the keys "attempts", "lastAttempt" and "outcome", all required.
    /// Throws `DecodingError` for a missing key, a wrong type or an unknown outcome.
    static Record decode(const JSONReader& reader);
    /// The same from JSON text.
    static Record decode(std::string_view text);
    /// The compact JSON text of the record.
    std::string encoded() const;
  };

  /// How long to wait before fetching again after `afterAttempts` failures in a row.
  static TimeInterval retryDelay(std::int64_t afterAttempts);

  /// Whether a fetch should start now.
  static bool isDue(bool hasStoredImage, const std::optional<Record>& record, Date now);

  /// The record that follows a fetch that ended in `outcome` at `at`.
  static Record record(const std::optional<Record>& after, Outcome outcome, Date at);

  /// The web link a card's payload stands for ("www." read as "https://www."); none when the
  /// payload is no link.
  static std::optional<URL> url(std::string_view fromPayload);

  /// The host as shown: lower case, without a leading "www."; a URL without a host is shown by
  /// its whole text.
  static std::string displayHost(const URL& url);

  /// A key for the site's icon: the display host with every scalar other than letters, marks,
  /// digits, "-" and "." made "_"; "unknown" when nothing is left.
  static std::string iconKey(const URL& url);

  /// Whether `title` says nothing beyond the link itself, so the page's title may replace it.
  static bool titleNeedsPageTitle(std::string_view title, const URL& url);
};

template <>
struct RawValues<LinkPreviewPolicy::Outcome> {
  static constexpr std::array<std::pair<LinkPreviewPolicy::Outcome, std::string_view>, 3> table{{
      {LinkPreviewPolicy::Outcome::image, "image"},
      {LinkPreviewPolicy::Outcome::noImage, "noImage"},
      {LinkPreviewPolicy::Outcome::failed, "failed"},
  }};
};

void to_json(Json& json, const LinkPreviewPolicy::Record& record);

}  // namespace kelvo
