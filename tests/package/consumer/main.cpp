// The program of docs/library.md, built as an outside project does: against the installed
// package, through find_package(kelvo) and kelvo::core alone. The guide quotes it piece by piece.
//
//   kelvo-consumer STORE-FILE [PACKAGE-PREFIX]
//
// Run it twice on one store: the first run makes the library, the second finds it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/import/ImportDestination.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/model/Card.hpp"
#include "core/model/FileCapture.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/Message.hpp"
#include "core/search/CardPredicate.hpp"
#include "core/search/CardSort.hpp"
#include "core/search/RankingContext.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/search/SemanticSearch.hpp"
#include "core/search/SmartShelfCriteria.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "platform/data/Container.hpp"
#include "platform/data/Context.hpp"
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

std::shared_ptr<Shelf> findDefaultShelf(data::Context& context) {
  for (const std::shared_ptr<Shelf>& shelf : context.fetch(Shelf::fetchRequest())) {
    if (shelf->isDefaultShelf() || shelf->id() == Shelf::defaultShelfID()) return shelf;
  }
  return nullptr;
}

// A card that keeps a file's bytes, as the library keeps files; none when the file is refused.
std::shared_ptr<Card> makeFileCard(const std::string& filename, const Bytes& bytes,
                                   const std::shared_ptr<Shelf>& shelf, Date now) {
  const auto byteCount = static_cast<std::int64_t>(bytes.size());
  if (const auto refusal = FileCapture::validate(byteCount)) {  // empty, or over 50 MB
    std::printf("%s\n", refusal->message().c_str());
    return nullptr;
  }
  const CardType type = FileCapture::kind(filename);  // image, document or file
  const auto card = Card::make({.id = UUID::random(),
                                .type = type,
                                .title = FileCapture::title(filename),
                                .payload = filename,
                                .previewText = FileCapture::previewText(filename, byteCount),
                                .createdAt = now,
                                .payloadData = bytes,
                                .filename = filename,
                                .byteCount = byteCount,
                                .shelf = shelf});
  // Card::make hashed the type and the payload, here the name: a file's hash is of its bytes.
  card->setContentHash(FileCapture::contentHash(type, bytes));
  return card;
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

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: kelvo-consumer STORE-FILE [PACKAGE-PREFIX]\n");
    return 2;
  }
  const std::filesystem::path store = argv[1];  // a host: KelvoPersistence::storeURL("Kelvo")
  std::filesystem::create_directories(std::filesystem::absolute(store).parent_path());
  const Bytes receipt = toBytes("%PDF-1.7\n% the bytes of a file the user chose\n");
  const Date now = Clock::system().now();
  {
    const auto library = openLibrary(store);
    data::Context& context = library->viewContext();
    std::shared_ptr<Shelf> unsorted = findDefaultShelf(context);
    if (unsorted == nullptr) {  // a new library
      unsorted = Shelf::make(Shelf::defaultShelfID(), std::string(Shelf::defaultShelfName), 0, now,
                             /*isDefaultShelf=*/true, /*parent=*/nullptr);
      context.insert(unsorted);  // made without a parent, it is in no context until inserted
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
      makeFileCard("March receipt.pdf", receipt, unsorted, now);
      context.save();  // throws data::StoreError; the changes stay pending
    }
  }  // the container closes the store

  const auto library = openLibrary(store);  // reopened: what was saved is read back
  data::Context& context = library->viewContext();
  std::vector<SearchableCard> cards;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (!card->isTrashed()) cards.push_back(record(*card));  // search sees the live cards
  }

  const auto shelves = context.fetch(Shelf::fetchRequest());
  const auto defaultShelves = std::count_if(
      shelves.begin(), shelves.end(), [](const auto& shelf) { return shelf->isDefaultShelf(); });
  std::printf("consumer: the library holds %td default shelf and %zu cards\n", defaultShelves,
              cards.size());
  check(defaultShelves == 1 && cards.size() == 3, "one default shelf and three cards");
  const auto file = std::find_if(cards.begin(), cards.end(), [](const SearchableCard& card) {
    return card.type() == CardType::document;
  });
  check(file != cards.end() && file->title() == "March receipt", "the file card reads back");
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->filename()) {
      check(card->contentHash() == FileCapture::contentHash(CardType::document, receipt) &&
                card->payloadData() == receipt && card->previewText() == "PDF · 46 bytes",
            "the file card keeps its bytes, their hash and the guide's preview");
    }
  }

  const SearchIndex index(cards);
  const std::vector<SearchResult> literal = index.search("tax", 20);
  check(literal.size() == 1 && literal[0].card.title() == "Tax return 2026", "literal search");
  check(SemanticSearch(WordEmbeddingLexicon::standard(), {}).search("tax", index).empty(),
        "options left at zero find nothing, as the guide says");

  const std::shared_ptr<const SemanticLexicon> lexicon = WordEmbeddingLexicon::standard();
  lexicon->prewarm();  // needed: until it has run, the lexicon gives lemmas and no neighbours
  const SemanticSearch byMeaning(lexicon, {.maxVariantsPerTerm = 8,
                                           .maxIndexQueries = 20,
                                           .maxTerms = 8,
                                           .semanticWeight = 0.35,
                                           .limit = 200,
                                           .expansionBudget = 0.045,
                                           .literalSufficiency = 50});
  const std::vector<SemanticSearchResult> widened = byMeaning.search("indemnity", index);
  for (const SemanticSearchResult& found : widened) {
    std::printf("consumer: \"indemnity\" finds \"%.*s\"\n",
                static_cast<int>(found.card.title().size()), found.card.title().data());
  }
  check(widened.size() == 1 && widened[0].card.title() == "Car insurance" &&
            !widened[0].explanations.empty(),
        "search by meaning finds \"insurance\" for \"indemnity\", and says why");
  check(SemanticSearch(WordEmbeddingLexicon::standard(), byMeaning.options())
            .search("indemnity", index)
            .empty(),
        "a lexicon not prewarmed has no neighbours, as the guide says");

  if (const auto problem = language::dataProblem()) std::printf("%s\n", problem->c_str());
  const auto english = language::WordEmbedding::forLanguage("en");
  const auto tagger = language::LemmaTagger::standard();
  check(english != nullptr && !english->neighbours("car", 12).empty(), "neighbours of \"car\"");
  check(tagger != nullptr && tagger->lemma("geese") == "goose", "the lemma of \"geese\"");
  if (argc > 2) {
    check(language::dataDirectory().string().rfind(argv[2], 0) == 0,
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

  const std::string snippets =
      "name,keyword,text\nPolicy,;pol,\"Policy 42-7, renews in March\"\nGreeting,;hi,Hello!\n";
  const auto parsed = SnippetImporter::parse(asBytes(snippets), "team.csv", std::nullopt);
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
  check(KelvoWidgetSnapshot::decode(stored) == snapshot && snapshot.cards().size() == 3,
        "the widget snapshot");

  const Bytes frame = Remote::Framer::encode(Remote::Message::ping());
  Remote::Framer receiving;  // one per connection
  const std::vector<Remote::Message> received = receiving.append(frame);
  check(received.size() == 1 && std::holds_alternative<Remote::Message::Ping>(received[0].value),
        "a ping framed and read back");

  std::printf("consumer: %s\n", failures == 0 ? "all good" : "failures");
  return failures == 0 ? 0 : 1;
}
