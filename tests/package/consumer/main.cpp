// The program of docs/library.md, built as an outside project does: against the installed
// package, through find_package(kelvo) and kelvo::core alone. The guide quotes it piece by piece.
#include <cstdio>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "core/import/ImportPlan.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/remote/Framer.hpp"
#include "core/search/RankingContext.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SemanticSearch.hpp"
#include "core/search/SmartShelfCriteria.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/language/LanguageData.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

using namespace kelvo;

namespace {

int failures = 0;

void check(bool holds, const char* what) {
  std::printf("consumer: %s: %s\n", holds ? "ok" : "FAILED", what);
  if (!holds) ++failures;
}

std::unique_ptr<data::Container> openLibrary(const std::filesystem::path& file) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions({KelvoPersistence::description(file)});
  container->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
    if (error != nullptr) throw *error;
  });
  KelvoPersistence::configure(container->viewContext());
  return container;
}

SearchableCard record(const Card& card) {
  const auto shelf = card.shelf();
  auto project = shelf;  // the top-level shelf the card's shelf sits in
  while (project && project->parent()) project = project->parent();
  return SearchableCard({.id = card.id(),
                         .type = card.type(),
                         .title = card.title(),
                         .content = card.payload(),
                         .extractedText = card.extractedText(),
                         .autoTags = card.autoTags(),
                         .shelfName = shelf ? shelf->name() : "",
                         .projectName = project ? project->name() : "",
                         .factLabel = card.factLabel(),
                         .sourceApp = card.sourceApp(),
                         .useCount = card.useCount(),
                         .lastUsedAt = card.lastUsedAt()});
}

}  // namespace

// The test passes the prefix the package was installed to.
int main(int argc, char** argv) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kelvo-consumer-" + UUID::random().uuidString());
  std::filesystem::create_directories(folder);
  const Date now = Clock::system().now();

  {
    const auto library = openLibrary(folder / "Kelvo.store");
    data::Context& context = library->viewContext();
    const auto unsorted = Shelf::make(Shelf::defaultShelfID(), std::string(Shelf::defaultShelfName),
                                      0, now, /*isDefaultShelf=*/true, nullptr);
    context.insert(unsorted);
    Card::make({.id = UUID::random(),
                .type = CardType::text,
                .title = "Tax return 2026",
                .payload = "Send the {form} to the accountant",
                .createdAt = now,
                .shelf = unsorted});
    Card::make({.id = UUID::random(),
                .type = CardType::text,
                .title = "Car insurance",
                .payload = "Policy 42-7, renews in March",
                .createdAt = now,
                .shelf = unsorted});
    context.save();  // throws data::StoreError; the changes stay pending
  }

  const auto library = openLibrary(folder / "Kelvo.store");
  data::Context& context = library->viewContext();
  std::vector<SearchableCard> cards;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    cards.push_back(record(*card));
  }
  check(cards.size() == 2, "two cards read back from the store on disk");

  const SearchIndex index(cards);
  const std::vector<SearchResult> literal = index.search("tax", 20);

  const std::shared_ptr<const SemanticLexicon> lexicon = WordEmbeddingLexicon::standard();
  lexicon->prewarm();  // once, early: the first query of the word tables loads them
  const SemanticSearch byMeaning(lexicon, {.maxVariantsPerTerm = 8,
                                           .maxIndexQueries = 20,
                                           .maxTerms = 8,
                                           .semanticWeight = 0.35,
                                           .limit = 200,
                                           .expansionBudget = 0.045,
                                           .literalSufficiency = 50});
  const std::vector<SemanticSearchResult> widened = byMeaning.search("indemnity", index);
  check(literal.size() == 1 && literal[0].card.title() == "Tax return 2026", "literal search");
  check(widened.size() == 1 && widened[0].card.title() == "Car insurance" &&
            !widened[0].explanations.empty(),
        "search by meaning finds \"insurance\" for \"indemnity\", and says why");

  if (const auto problem = language::dataProblem()) std::printf("%s\n", problem->c_str());
  const auto english = language::WordEmbedding::forLanguage("en");
  const auto tagger = language::LemmaTagger::standard();
  check(english != nullptr && !english->neighbours("car", 12).empty(), "neighbours of \"car\"");
  check(tagger != nullptr && tagger->lemma("geese") == "goose", "the lemma of \"geese\"");
  if (argc > 1) {
    check(language::dataDirectory().string().rfind(argv[1], 0) == 0,
          "the word tables come from the package's own prefix");
  }

  const SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, "insurance",
                                    CardPredicate::neverUsed(), CardSort::title);
  const auto smartShelf = makeSmartShelf(UUID::random(), "Policies", 0, now, criteria);
  context.insert(smartShelf);
  std::vector<SearchableCard> shown;
  if (const auto search = definition(*smartShelf)) {
    shown = SmartShelfEvaluation::evaluate(*search, cards,
                                           SmartShelfEvaluation::literalRanking(index), now);
  }
  check(shown.size() == 1 && shown[0].title() == "Car insurance", "the smart shelf");

  const std::string file =
      "name,keyword,text\nPolicy,;pol,\"Policy 42-7, renews in March\"\nGreeting,;hi,Hello!\n";
  const auto parsed = SnippetImporter::parse(asBytes(file), "team.csv", std::nullopt);
  ImportPlan::Hashes kept;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    kept.emplace(card->contentHash(), card->id());
  }
  std::vector<std::string> toKeep;
  if (parsed) {
    const ImportPlan plan =
        ImportPlan::make(parsed->snippets, kept, ImportDestination::newShelf("Team", std::nullopt),
                         parsed->format, parsed->sourceName, UUID::random());
    for (const ImportPlan::Row& row : plan.includedRows()) toKeep.push_back(row.title);
  } else {
    std::printf("%s\n", parsed.error().message().c_str());
  }
  check(toKeep == std::vector<std::string>{"Greeting"}, "the import plan skips what is kept");

  const Calendar calendar = Calendar::current();
  const KelvoWidgetSnapshot snapshot =
      KelvoWidgetSnapshot::build(cards, {}, RankingContext::current(std::nullopt, now, calendar),
                                 KelvoWidgetSnapshot::cardLimit, now, calendar);
  const std::string stored = snapshot.encoded();  // "kelvo-widget.json" in the app group
  check(KelvoWidgetSnapshot::decode(stored) == snapshot && snapshot.cards().size() == 2,
        "the widget snapshot");

  const Bytes frame = Remote::Framer::encode(Remote::Message::ping());
  Remote::Framer receiving;  // one per connection
  const std::vector<Remote::Message> received = receiving.append(frame);
  check(received.size() == 1 && std::holds_alternative<Remote::Message::Ping>(received[0].value),
        "a ping framed and read back");

  std::filesystem::remove_all(folder);
  std::printf("consumer: %s\n", failures == 0 ? "all good" : "failures");
  return failures == 0 ? 0 : 1;
}
