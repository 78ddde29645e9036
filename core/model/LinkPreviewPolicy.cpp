#include "core/model/LinkPreviewPolicy.hpp"

#include <limits>
#include <nlohmann/json.hpp>

#include "core/model/CardType.hpp"
#include "core/model/WebLink.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

using Outcome = LinkPreviewPolicy::Outcome;

constexpr std::string_view www = "www.";

bool startsWithWWW(std::string_view text) {
  // Only the first four characters can decide, so only they are lower-cased.
  return text::lowercased(text::prefix(text, www.size())) == www;
}

}  // namespace

// Record coding.

LinkPreviewPolicy::Record LinkPreviewPolicy::Record::decode(const JSONReader& reader) {
  Record record;
  record.attempts = reader["attempts"].integer();
  record.lastAttempt = reader["lastAttempt"].date();
  record.outcome = reader["outcome"].rawValue(RawValues<Outcome>::table, "Outcome");
  return record;
}

LinkPreviewPolicy::Record LinkPreviewPolicy::Record::decode(std::string_view text) {
  const Json document = json::parse(text);
  return decode(JSONReader(document));
}

std::string LinkPreviewPolicy::Record::encoded() const {
  Json document;
  to_json(document, *this);
  return json::write(document);
}

void to_json(Json& json, const LinkPreviewPolicy::Record& record) {
  json = Json::object();
  json["attempts"] = record.attempts;
  json["lastAttempt"] = record.lastAttempt;
  json["outcome"] = std::string(rawValue(record.outcome));
}

// Fetch timing.

TimeInterval LinkPreviewPolicy::retryDelay(std::int64_t afterAttempts) {
  if (afterAttempts <= 0) return 0;
  switch (afterAttempts) {
    case 1:
      return 60;
    case 2:
      return 300;
    case 3:
      return 1'800;
    default:
      return 21'600;
  }
}

bool LinkPreviewPolicy::isDue(bool hasStoredImage, const std::optional<Record>& record, Date now) {
  if (hasStoredImage) return false;
  if (!record) return true;
  const TimeInterval elapsed = now - record->lastAttempt;
  switch (record->outcome) {
    case Outcome::image:
      return false;
    case Outcome::noImage:
      return elapsed >= noImageRecheck;
    case Outcome::failed:
      // A clock set back before the last attempt must not hold the retry off indefinitely.
      return elapsed < 0 || elapsed >= retryDelay(record->attempts);
  }
  return false;
}

LinkPreviewPolicy::Record LinkPreviewPolicy::record(const std::optional<Record>& after,
                                                    Outcome outcome, Date at) {
  const std::int64_t prior = after && after->outcome == Outcome::failed ? after->attempts : 0;
  Record next;
  if (outcome == Outcome::failed) {
    // A stored count at the top of the range stays there rather than wrapping round.
    next.attempts = prior == std::numeric_limits<std::int64_t>::max() ? prior : prior + 1;
  }
  next.lastAttempt = at;
  next.outcome = outcome;
  return next;
}

// Reading links.

std::optional<URL> LinkPreviewPolicy::url(std::string_view fromPayload) {
  if (!isWebLink(fromPayload)) return std::nullopt;
  std::string candidate = text::trimmed(fromPayload);
  if (startsWithWWW(candidate)) candidate.insert(0, "https://");
  return URL::parse(candidate);
}

std::string LinkPreviewPolicy::displayHost(const URL& url) {
  std::string host = text::lowercased(url.host().value_or(url.absoluteString()));
  if (host.starts_with(www)) host.erase(0, www.size());
  return host;
}

std::string LinkPreviewPolicy::iconKey(const URL& url) {
  const std::string host = displayHost(url);
  std::string key;
  key.reserve(host.size());
  for (std::size_t offset = 0; offset < host.size();) {
    const char32_t scalar = nextScalar(host, offset);
    if (scalar == U'-' || scalar == U'.' ||
        text::isMember(scalar, text::CharacterClass::alphanumeric)) {
      appendUtf8(key, scalar);
    } else {
      key.push_back('_');
    }
  }
  return key.empty() ? "unknown" : key;
}

bool LinkPreviewPolicy::titleNeedsPageTitle(std::string_view title, const URL& url) {
  const std::string trimmed = text::trimmed(title);
  if (trimmed.empty() || isWebLink(trimmed)) return true;
  const std::string lowered = text::lowercased(trimmed);
  const std::string host = displayHost(url);
  return lowered == host || lowered == std::string(www) + host;
}

}  // namespace kelvo
