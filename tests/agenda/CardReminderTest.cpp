#include "core/model/CardReminder.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/model/KelvoPersistence.hpp"
#include "core/model/ReminderSchedule.hpp"
#include "platform/data/Context.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

class CardReminderTest : public testing::NewYorkTest {};

TEST_F(CardReminderTest, SavedAndFetchedWithEveryAttribute) {
  testing::TemporaryDirectory folder;
  const auto description = KelvoPersistence::description(folder.path() / "Kelvo.store");
  auto writer = testing::openStores({description});
  auto& context = writer->viewContext();
  const UUID id = UUID::random();
  const UUID card = UUID::random();
  auto reminder = CardReminder::make({.id = id,
                                      .cardID = card,
                                      .fireAt = at(2025, 3, 12, 9),
                                      .repeatRule = ReminderRepeat::quarterly,
                                      .isDone = true,
                                      .completedAt = at(2025, 3, 12, 9, 5),
                                      .createdAt = at(2025, 1, 2),
                                      .note = "Renew the lease"});
  EXPECT_EQ(reminder->context(), nullptr);
  context.insert(reminder);
  context.save();

  // A second container reads the rows back from the file.
  auto reader = testing::openStores({description});
  const auto fetched = reader->viewContext().fetch(CardReminder::fetchRequest());
  ASSERT_EQ(fetched.size(), 1u);
  const CardReminder& read = *fetched[0];
  EXPECT_EQ(read.id(), id);
  EXPECT_EQ(read.cardID(), card);
  EXPECT_EQ(read.fireAt(), at(2025, 3, 12, 9));
  EXPECT_EQ(read.repeatRuleRaw(), "quarterly");
  EXPECT_TRUE(read.isDone());
  EXPECT_EQ(read.completedAt(), at(2025, 3, 12, 9, 5));
  EXPECT_EQ(read.createdAt(), at(2025, 1, 2));
  EXPECT_EQ(read.note(), "Renew the lease");
  EXPECT_EQ(read.notificationIdentifier(), "kelvo.reminder." + id.uuidString());
  EXPECT_EQ(read.notificationIdentifier().size(), 51u);
  EXPECT_EQ(read.summary(at(2025, 3, 13), calendar), "Done · Every quarter");
}

TEST_F(CardReminderTest, UnreadableValuesReadAsTheirDefaults) {
  auto reminder = CardReminder::make({.id = UUID::random(), .fireAt = at(2025, 3, 12, 9)});
  reminder->setValue("id", std::nullopt);
  EXPECT_NE(reminder->id(), reminder->id());
  EXPECT_NE(reminder->notificationIdentifier(), reminder->notificationIdentifier());

  for (const char* word : {"Weekly", "daily", ""}) {
    reminder->setRepeatRuleRaw(word);
    EXPECT_EQ(reminder->repeatRule(), ReminderRepeat::none) << word;
    EXPECT_EQ(reminder->repeatDescription(), "");
  }
  reminder->setValue("fireAt", data::Value("tomorrow"));
  reminder->setValue("isDone", data::Value("yes"));
  EXPECT_EQ(reminder->fireAt(), Date::distantPast());
  EXPECT_FALSE(reminder->isDone());
  EXPECT_TRUE(reminder->isOverdue(at(2025, 3, 12)));
  EXPECT_EQ(reminder->bucket(at(2025, 3, 12), calendar), ReminderBucket::overdue);
  EXPECT_EQ(reminder->summary(at(2025, 3, 12), calendar).rfind("Overdue by ", 0), 0u);
  reminder->setCardID(std::nullopt);
  EXPECT_EQ(reminder->cardID(), std::nullopt);
}

TEST_F(CardReminderTest, DerivedValues) {
  const Date monday = at(2025, 3, 3, 9);
  auto reminder = CardReminder::make(
      {.id = UUID::random(), .fireAt = monday, .repeatRule = ReminderRepeat::weekly});
  EXPECT_EQ(reminder->summary(at(2025, 3, 2, 18), calendar), "Due tomorrow · Every week");
  EXPECT_FALSE(reminder->isOverdue(monday));
  // Completed on Wednesday: next Monday. Completed early on the Monday: a week on.
  EXPECT_EQ(reminder->occurrenceAfterCompleting(at(2025, 3, 5, 15), calendar), at(2025, 3, 10, 9));
  EXPECT_EQ(reminder->occurrenceAfterCompleting(at(2025, 3, 3, 8), calendar), at(2025, 3, 10, 9));
  EXPECT_EQ(reminder->nextOccurrence(at(2025, 3, 1), calendar), monday);
  reminder->setRepeatRule(ReminderRepeat::none);
  EXPECT_EQ(reminder->repeatRuleRaw(), "none");
  EXPECT_EQ(reminder->occurrenceAfterCompleting(at(2025, 3, 5), calendar), std::nullopt);
  EXPECT_EQ(reminder->summary(at(2025, 3, 6, 12), calendar), "Overdue by 3 days");
}

TEST(ReminderRepeatTest, WordsNamesStepsAndJSON) {
  EXPECT_EQ(allCases<ReminderRepeat>().size(), 5u);
  const std::pair<ReminderRepeat, const char*> names[] = {
      {ReminderRepeat::none, "Once"},
      {ReminderRepeat::weekly, "Every week"},
      {ReminderRepeat::monthly, "Every month"},
      {ReminderRepeat::quarterly, "Every quarter"},
      {ReminderRepeat::yearly, "Every year"},
  };
  for (const auto& [rule, name] : names) {
    EXPECT_EQ(displayName(rule), name);
    EXPECT_EQ(recurrenceDescription(rule), rule == ReminderRepeat::none ? "" : name);
    EXPECT_EQ(fromRawValue<ReminderRepeat>(rawValue(rule)), rule);
  }
  EXPECT_EQ(calendarStep(ReminderRepeat::none), std::nullopt);
  EXPECT_EQ(calendarStep(ReminderRepeat::quarterly),
            (ReminderStep{Calendar::Component::month, 3}));
  EXPECT_EQ(calendarStep(ReminderRepeat::weekly),
            (ReminderStep{Calendar::Component::weekOfYear, 1}));

  Json json;
  to_json(json, ReminderRepeat::monthly);
  EXPECT_EQ(json::write(json), "\"monthly\"");
  EXPECT_EQ(readReminderRepeat(JSONReader(json)), ReminderRepeat::monthly);
  const Json daily = "daily";
  try {
    readReminderRepeat(JSONReader(daily));
    FAIL() << "a word that is no rule decodes";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
  }

  const std::pair<ReminderBucket, const char*> buckets[] = {
      {ReminderBucket::overdue, "Overdue"},
      {ReminderBucket::today, "Today"},
      {ReminderBucket::thisWeek, "This week"},
      {ReminderBucket::later, "Later"},
  };
  for (const auto& [bucket, name] : buckets) EXPECT_EQ(title(bucket), name);
  EXPECT_EQ(explanation(ReminderBucket::overdue),
            "Past their time. These are the ones that cost you something.");
  EXPECT_EQ(explanation(ReminderBucket::thisWeek), "Within the next seven days.");
  EXPECT_EQ(rawValue(ReminderBucket::thisWeek), "thisWeek");
}

}  // namespace
}  // namespace kelvo
