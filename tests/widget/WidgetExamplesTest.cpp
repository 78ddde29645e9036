// The usage examples at the top of the widget layer's headers, run as written.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <vector>

#include "core/search/RankingContext.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/widget/KelvoURL.hpp"
#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "core/widget/KelvoWidgetSnapshotStore.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

SearchableCard searchable(std::string title, std::int64_t useCount) {
  return SearchableCard(UUID::random(), CardType::text, std::move(title), "", "", {}, "", "",
                        std::nullopt, std::nullopt, useCount, std::nullopt);
}

// Points the user's data folder somewhere else while it lives.
class DataHome {
 public:
  explicit DataHome(const std::filesystem::path& folder) {
    if (const char* old = getenv("XDG_DATA_HOME")) old_ = old;
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
  ~DataHome() {
    if (old_) {
      setenv("XDG_DATA_HOME", old_->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(KelvoURL, APIExamples) {
  const UUID id = *UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

  const std::optional<URL> link = KelvoURL::card(id).url();  // kelvo://card/E621E1F8-…
  const std::optional<KelvoURL> opened = KelvoURL::parse("KELVO://search?q=tax%20%26%20vat");
  const KelvoURL::Search* search = opened ? opened->as<KelvoURL::Search>() : nullptr;

  ASSERT_TRUE(link);
  EXPECT_EQ(link->absoluteString(), "kelvo://card/E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(KelvoURL::parse(*link), KelvoURL::card(id));
  ASSERT_TRUE(search);
  EXPECT_EQ(search->query, "tax & vat");
}

TEST(KelvoWidgetSnapshot, APIExamples) {
  const Calendar calendar(TimeZone::utc());
  const Date now = *calendar.date(2024, 5, 2, 10, 0);
  const RankingContext ranking = RankingContext::current(std::nullopt, now, calendar);
  const std::vector<SearchableCard> cards{searchable("Passport", 3), searchable("Wi-Fi", 9)};
  const std::vector<Date> reminderFireAts{now - 3'600, now + 3'600};

  const KelvoWidgetSnapshot snapshot = KelvoWidgetSnapshot::build(
      cards, reminderFireAts, ranking, KelvoWidgetSnapshot::cardLimit, now, calendar);
  const std::string stored = snapshot.encoded();  // {"cards":[…],"remindersDue":2,…}
  const KelvoWidgetSnapshot read = KelvoWidgetSnapshot::decode(stored);
  const std::string due = read.dueSummary();  // "2 due"

  ASSERT_EQ(read.cards().size(), 2u);
  EXPECT_EQ(read.cards()[0].title, "Wi-Fi");  // the one used most
  EXPECT_EQ(read, snapshot);
  EXPECT_EQ(due, "2 due");
}

TEST(KelvoWidgetSnapshotStore, APIExamples) {
  const testing::TemporaryDirectory home;
  const DataHome dataHome(home.path());
  const Date now(800'000'000);
  const KelvoWidgetSnapshot snapshot({{UUID::random(), "Passport", CardType::fact}}, 1, now);
  std::optional<KelvoWidgetSnapshot> shown;
  const auto show = [&](const KelvoWidgetSnapshot& cards) { shown = cards; };

  WidgetSharing::setAppGroupIdentifier("group.kelvo");  // once, by the host
  const auto store = KelvoWidgetSnapshotStore::shared();
  store.write(snapshot);                           // host: after a change
  const KelvoWidgetState state = store.read(now);  // widget: at each timeline
  if (const auto* cards = state.as<KelvoWidgetState::Cards>()) show(cards->snapshot);

  WidgetSharing::setAppGroupIdentifier(std::nullopt);
  EXPECT_EQ(store.fileURL(), home.path() / "app-groups/group.kelvo/kelvo-widget.json");
  EXPECT_EQ(shown, snapshot);
}

}  // namespace
}  // namespace kelvo
