#include "core/widget/KelvoWidgetSnapshot.hpp"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "core/search/ReadyRowRanker.hpp"
#include "core/widget/KelvoURL.hpp"
#include "core/widget/KelvoWidgetText.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

TimeInterval age(Date capturedAt, Date now) {
  const TimeInterval seconds = now - capturedAt;
  return seconds > 0 ? seconds : 0;
}

KelvoWidgetCard readCard(const JSONReader& reader) {
  return KelvoWidgetCard{reader["id"].uuid(), reader["title"].string(),
                         reader["type"].rawValue(RawValues<CardType>::table, "CardType")};
}

}  // namespace

std::optional<URL> KelvoWidgetCard::link() const { return KelvoURL::card(id).url(); }

KelvoWidgetSnapshot KelvoWidgetSnapshot::build(std::span<const SearchableCard> cards,
                                               std::span<const Date> reminderFireAts,
                                               const RankingContext& context, std::int64_t limit,
                                               Date now, const Calendar& calendar) {
  std::vector<KelvoWidgetCard> rows;
  for (const SearchableCard& card :
       ReadyRowRanker().rank(cards, context, std::max<std::int64_t>(limit, 0))) {
    rows.push_back({card.id(),
                    KelvoWidgetText::rowTitle(card.title(), KelvoWidgetText::rowTitleLimit),
                    card.type()});
  }
  return KelvoWidgetSnapshot(std::move(rows), remindersDue(reminderFireAts, now, calendar), now);
}

std::int64_t KelvoWidgetSnapshot::remindersDue(std::span<const Date> fireAts, Date now,
                                               const Calendar& calendar) {
  const Date today = calendar.startOfDay(now);
  std::int64_t due = 0;
  for (const Date fireAt : fireAts) {
    if (fireAt < now) {
      ++due;
      continue;
    }
    const auto days =
        calendar.difference(Calendar::Component::day, today, calendar.startOfDay(fireAt));
    // A finite time the calendar cannot count to lies past its reach, millions of years ahead:
    // not today. A time that is no number still counts as due.
    if (days ? *days <= 0 : !std::isfinite(fireAt.timeIntervalSinceReferenceDate())) ++due;
  }
  return due;
}

bool KelvoWidgetSnapshot::isStale(Date now) const { return age(capturedAt_, now) >= staleAfter; }

bool KelvoWidgetSnapshot::isOutdated(Date now) const {
  return age(capturedAt_, now) >= outdatedAfter;
}

std::string KelvoWidgetSnapshot::dueSummary() const {
  if (remindersDue_ == 0) return localized("Nothing due");
  if (remindersDue_ == 1) return localized("1 due");
  return localized("%lld due", remindersDue_);
}

std::string KelvoWidgetSnapshot::dueAccessibilityLabel() const {
  if (remindersDue_ == 0) return localized("No reminders due");
  if (remindersDue_ == 1) return localized("1 reminder due");
  return localized("%lld reminders due", remindersDue_);
}

std::string KelvoWidgetSnapshot::encoded() const {
  OrderedJson cards = OrderedJson::array();
  for (const KelvoWidgetCard& card : cards_) {
    OrderedJson row = OrderedJson::object();
    row["id"] = card.id;
    row["title"] = card.title;
    row["type"] = std::string(rawValue(card.type));
    cards.push_back(std::move(row));
  }
  OrderedJson document = OrderedJson::object();
  document["cards"] = std::move(cards);
  document["remindersDue"] = remindersDue_;
  document["capturedAt"] = capturedAt_;
  return json::write(document);
}

KelvoWidgetSnapshot KelvoWidgetSnapshot::decode(std::string_view text) {
  const Json document = json::parse(text);
  const JSONReader reader(document);
  return KelvoWidgetSnapshot(reader["cards"].map(readCard), reader["remindersDue"].integer(),
                             reader["capturedAt"].date());
}

}  // namespace kelvo
