// The program of docs/library.md, built as an outside project does: against the installed
// package, through find_package(kelvo) and kelvo::core alone. The guide quotes it function by
// function; main runs them in order (useLibrary) and then checks what the guide says of them.
//
//   kelvo-consumer STORE-FILE [PACKAGE-PREFIX]
//
// Run it twice on one store: the first run makes the library, the second finds it and adds
// nothing. Runs started at once take turns, so they too leave one library.
#include <sys/file.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

#include "core/agenda/ReminderAgenda.hpp"
#include "core/import/ImportDestination.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/model/Card.hpp"
#include "core/model/CardEdit.hpp"
#include "core/model/CardReminder.hpp"
#include "core/model/DuplicateMerge.hpp"
#include "core/model/FactKind.hpp"
#include "core/model/FileCapture.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/LinkPreviewPolicy.hpp"
#include "core/model/ReminderSchedule.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/organisation/ShelfRefusal.hpp"
#include "core/organisation/SmartShelfOrganiser.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/Message.hpp"
#include "core/search/CardPredicate.hpp"
#include "core/search/CardSort.hpp"
#include "core/search/MatchExplanation.hpp"
#include "core/search/RankingContext.hpp"
#include "core/search/SavedSearch.hpp"
#include "core/search/SearchField.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SearchResult.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/search/SemanticSearch.hpp"
#include "core/search/SemanticSearchResult.hpp"
#include "core/search/SmartShelfCriteria.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "platform/data/Container.hpp"
#include "platform/data/Context.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/language/LanguageData.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

using namespace kelvo;

namespace {

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

// A fact card: the value is its text, `factKind` says what the value is and `factLabel` which
// of its kind it is ("Work", "Home"), a field search looks in.
std::shared_ptr<Card> makeFactCard(FactKind kind, const std::string& label,
                                   const std::string& title, const std::string& value,
                                   const std::shared_ptr<Shelf>& shelf, Date now) {
  return Card::make({.id = UUID::random(),
                     .type = CardType::fact,
                     .title = title,
                     .payload = value,
                     .createdAt = now,
                     .factKind = kind,
                     .factLabel = label,
                     .shelf = shelf});
}

// A link card: a text card whose text is a web link. No card type says "link"; the text does,
// by the library's one link test (isWebLink), which the card's tile and the search filters use.
// The title is the host's to give: here the link's host, until the page's own title is known.
std::shared_ptr<Card> makeLinkCard(const std::string& link, const std::shared_ptr<Shelf>& shelf,
                                   Date now) {
  const std::optional<URL> url = LinkPreviewPolicy::url(link);  // none: the text is no link
  return Card::make({.id = UUID::random(),
                     .type = CardType::text,
                     .title = url ? LinkPreviewPolicy::displayHost(*url) : link,
                     .payload = link,
                     .createdAt = now,
                     .shelf = shelf});
}

// What the library takes a text card for: a link opens its URL and has a tile of its own.
void showLink(const Card& card) {
  if (const std::optional<URL> url = card.linkURL(); url && card.isLink()) {
    std::printf("\"%s\" is a link card titled \"%s\": it opens %s, on a %s tile\n",
                card.payload().c_str(), card.title().c_str(), url->absoluteString().c_str(),
                std::string(rawValue(card.tileLayout())).c_str());
  } else {
    std::printf("\"%s\" is a text card, on a %s tile\n", card.payload().c_str(),
                std::string(rawValue(card.tileLayout())).c_str());
  }
}

// A new library: the default shelf, a project with shelves inside it, and seven cards. Saves
// nothing: the caller does, once.
void fillNewLibrary(data::Context& context, Date now) {
  const auto unsorted =
      Shelf::make(Shelf::defaultShelfID(), std::string(Shelf::defaultShelfName), 0, now,
                  /*isDefaultShelf=*/true, /*parent=*/nullptr);
  context.insert(unsorted);  // made without a parent, it is in no context until inserted
  const auto household = Shelf::make(UUID::random(), "Household", 1, now, false, nullptr);
  context.insert(household);  // a shelf with no parent is a project
  Shelf::make(UUID::random(), "Insurance", 0, now, false, household);  // in household's context
  const auto oldFlat = Shelf::make(UUID::random(), "Old flat", 1, now, false, household);
  Shelf::make(UUID::random(), "Tenancy", 0, now, false, oldFlat);
  Card::make({.id = UUID::random(),
              .type = CardType::text,
              .title = "Meter readings",
              .payload = "Gas 4410, water 872",
              .createdAt = now,
              .shelf = oldFlat});
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
  makeFileCard("March receipt.pdf", toBytes("%PDF-1.7\n% the bytes of a file the user chose\n"),
               unsorted, now);
  Card::make({.id = UUID::random(),
              .type = CardType::text,
              .title = "Parking permit 2025",
              .payload = "Permit 881, valid until December",
              .createdAt = now,
              .shelf = unsorted});
  Card::make({.id = UUID::random(),
              .type = CardType::text,
              .title = "Draft reply",
              .payload = "Thanks, I will look at it",
              .createdAt = now,
              .shelf = unsorted});
  makeFactCard(FactKind::email, "Work", "Office email", "ada@example.com", unsorted, now);
}

// Runs of this program take turns with the library: this waits while another run holds it,
// then holds it until the turn is let go or the program ends, however it ends. The turn is a
// lock on a file beside the store. Where that file cannot be made (nor the store's folder,
// which this makes), there is no turn, and opening the store says why. A path that names no
// file (empty, or ending in a separator, "." or "..") gets neither, and no folder is made for
// a path through "..": opening refuses what the system would, and nothing is made for it.
std::shared_ptr<std::FILE> takeTurn(const std::filesystem::path& store) {
  const std::filesystem::path name = store.filename();
  if (name.empty() || name == "." || name == "..") return nullptr;
  std::error_code unmade;  // the store names the folder when it cannot open
  if (std::find(store.begin(), store.end(), std::filesystem::path("..")) == store.end()) {
    const std::filesystem::path full = std::filesystem::absolute(store, unmade);
    if (!unmade) std::filesystem::create_directories(full.parent_path(), unmade);
  }
  std::FILE* lock = std::fopen((store.string() + ".lock").c_str(), "a");
  if (lock == nullptr) return nullptr;
  flock(fileno(lock), LOCK_EX);  // waits for the other run; closing the file lets go
  return std::shared_ptr<std::FILE>(lock, [](std::FILE* file) { std::fclose(file); });
}

// Opens the library, folds what other programs left twice, and fills a new library. Under this
// run's turn no other run of this program fills it too.
void prepareLibrary(const std::filesystem::path& store, Date now) {
  const auto library = openLibrary(store);
  data::Context& context = library->viewContext();
  // What other programs left twice under one identifier; saves only when it folded something.
  DuplicateMerge::run(context);
  if (findDefaultShelf(context) == nullptr) {  // a new library
    fillNewLibrary(context, now);
    context.save();  // throws data::StoreError; the changes stay pending
  }
}  // the container closes the store

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

// The records of the live cards as the context holds them now; made again after a change.
std::vector<SearchableCard> liveRecords(data::Context& context) {
  std::vector<SearchableCard> cards;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (!card->isTrashed()) cards.push_back(record(*card));  // search sees the live cards
  }
  return cards;
}

// Each card found, best first, and the fields the words were found in.
void showLiteral(const SearchIndex& index, const std::string& query) {
  for (const SearchResult& found : index.search(query, 20)) {
    const std::string title(found.card.title());  // the record's texts are string_views
    std::string fields;
    for (const SearchField field : found.matchedFields) {
      fields += (fields.empty() ? "" : ", ") + std::string(rawValue(field));
    }
    std::printf("\"%s\" finds \"%s\" in its %s\n", query.c_str(), title.c_str(), fields.c_str());
  }
}

// A literal search among the cards a filter lets through: the index holds only those. A query
// is words, so "type:document" in it looks for the words "type" and "document".
void showLiteralAmong(const std::vector<SearchableCard>& cards, const CardPredicate& filter,
                      const std::string& query, Date now) {
  showLiteral(SearchIndex(filter.filter(cards, now)), query);
}

// Search by meaning over the word tables, with the options its tests use.
SemanticSearch makeSemanticSearch() {
  const std::shared_ptr<const SemanticLexicon> lexicon = WordEmbeddingLexicon::standard();
  lexicon->prewarm();  // needed: until it has run, the lexicon gives lemmas and no neighbours
  return SemanticSearch(lexicon, {.maxVariantsPerTerm = 8,
                                  .maxIndexQueries = 20,
                                  .maxTerms = 8,
                                  .semanticWeight = 0.35,
                                  .limit = 200,
                                  .expansionBudget = 0.045,
                                  .literalSufficiency = 50});
}

// Each card found, and why: one sentence for each query word it holds only through another.
void showByMeaning(const SemanticSearch& search, const SearchIndex& index,
                   const std::string& query) {
  for (const SemanticSearchResult& found : search.search(query, index)) {
    const std::string title(found.card.title());
    std::printf("\"%s\" finds \"%s\"%s\n", query.c_str(), title.c_str(),
                found.isLiteralMatch() ? "" : " by meaning");
    for (const MatchExplanation& why : found.explanations) {
      std::printf("  %s\n", why.sentence().c_str());  // "insurance — related to indemnity"
    }
  }
}

// A plural finds by meaning what its word finds: "bikes" reaches "bicycles" through "bike".
void showPluralByMeaning(const SemanticSearch& search, std::vector<SearchableCard> cards) {
  cards.push_back(SearchableCard({.id = UUID::random(),
                                  .type = CardType::text,
                                  .title = "Why bicycles stay upright",
                                  .content = "Trail, steering and speed"}));
  showByMeaning(search, SearchIndex(cards), "bikes");
}

// What the word tables give directly, or why they give nothing.
void showWordTables() {
  if (const auto problem = language::dataProblem()) std::printf("%s\n", problem->c_str());
  if (const auto english = language::WordEmbedding::forLanguage("en")) {
    std::string near;
    for (const language::Neighbour& neighbour : english->neighbours("car", 3)) {
      near += " " + neighbour.word;  // nearest first; neighbour.distance is 1 − cosine
    }
    std::printf("near \"car\":%s\n", near.c_str());
  }
  if (const auto tagger = language::LemmaTagger::standard()) {
    const std::optional<std::string> lemma = tagger->lemma("geese");  // none for an unknown word
    std::printf("\"geese\" is a form of \"%s\"\n", lemma.value_or("?").c_str());
  }
}

// The shelf called `name` inside `parent` (none: a project's name), or none.
std::shared_ptr<Shelf> findShelf(data::Context& context, std::string_view name,
                                 const std::shared_ptr<Shelf>& parent) {
  for (const std::shared_ptr<Shelf>& shelf : context.fetch(Shelf::fetchRequest())) {
    // One object per stored shelf: the parent read from a shelf is the very object fetched.
    if (shelf->name() == name && shelf->parent() == parent) return shelf;
  }
  return nullptr;
}

// The live card titled `title`, or none.
std::shared_ptr<Card> findCard(data::Context& context, std::string_view title) {
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->title() == title && !card->isTrashed()) return card;
  }
  return nullptr;
}

// Puts the live card titled `title` in the trash: it stays in the store with the moment it went,
// and is no record (liveRecords above). `setDeletedAt(std::nullopt)` takes it back out.
void trashCard(data::Context& context, std::string_view title, Date now) {
  if (const auto card = findCard(context, title)) card->setDeletedAt(now);
}

// Removes every card titled `title`, live or in the trash: its shelf lists it no more at once,
// and the next save deletes its row. A reminder of it stays, naming a card that is gone.
void removeCard(data::Context& context, std::string_view title) {
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->title() == title) context.deleteObject(*card);  // nothing cascades
  }
}

// Judges an edit of the card's title and text as typed, and writes what the library keeps: the
// title and text resolved, and the preview and content hash made again from the new text as
// Card::make makes them, since the setters leave them as they were. Saves nothing.
CardEditOutcome editCard(Card& card, std::string_view title, std::string_view text) {
  const CardType type = card.type();
  if (const std::optional<CardEdit::Refusal> refusal = CardEdit::refusal(type, title, text)) {
    return CardEditOutcome::refused(*refusal);  // nothing written
  }
  if (!CardEdit::changes(type, card.title(), card.payload(), card.generatedTitle(), title, text)) {
    return CardEditOutcome::unchanged();
  }
  std::string resolvedTitle = CardEdit::resolvedTitle(title, card.generatedTitle());
  card.setTitle(resolvedTitle);
  if (CardEdit::editsText(type)) {  // a card of bytes keeps its text, the file's name
    const std::string resolvedText = CardEdit::resolvedText(text);
    card.setPayload(resolvedText);
    card.setPreviewText(Card::makePreview(resolvedText, 140));   // the limit Card::make uses
    card.setContentHash(Card::contentHash(type, resolvedText));  // what an import compares
  }
  return CardEditOutcome::saved(std::move(resolvedTitle));
}

// What an edit came to; a refusal's sentence is shown at the field it is about.
void showEdit(const CardEditOutcome& outcome) {
  if (const auto* refused = std::get_if<CardEditOutcome::Refused>(&outcome.value)) {
    const bool atTitle = refused->refusal.field() == CardEdit::Refusal::Field::title;
    std::printf("%s: %s\n", atTitle ? "title" : "text", refused->refusal.message().c_str());
  } else if (const auto* saved = std::get_if<CardEditOutcome::Saved>(&outcome.value)) {
    std::printf("saved \"%s\"\n", saved->title.c_str());
  }
}

// Deletes a shelf, but not the default one. Its cards go to the default shelf and its child
// shelves to its parent first: left on it, they would stay in the library on no shelf, and the
// children would become projects. Saves nothing.
void deleteShelf(data::Context& context, const std::shared_ptr<Shelf>& shelf) {
  const auto unsorted = findDefaultShelf(context);
  if (shelf == unsorted) return;  // where cards go; the next start would make it again
  for (const std::shared_ptr<Card>& card : shelf->cards()) card->setShelf(unsorted);
  if (const auto children = shelf->childrenStorage()) {
    for (const std::shared_ptr<Shelf>& child : *children) child->setParent(shelf->parent());
  }
  context.deleteObject(*shelf);  // from now on nothing may be linked to it
}

// A shelf as a host shows it, indented by depth: its name, its live cards (by title here: a
// shelf's cards come unsorted), then its child shelves in the sibling order.
void showShelf(const Shelf& shelf, std::vector<std::shared_ptr<Card>> cards, int depth) {
  std::printf("%*s%s\n", 2 * depth, "", shelf.name().c_str());
  std::ranges::sort(cards, {}, &Card::title);
  for (const std::shared_ptr<Card>& card : cards) {
    if (!card->isTrashed()) std::printf("%*s- %s\n", 2 * depth + 2, "", card->title().c_str());
  }
  for (const std::shared_ptr<Shelf>& child : shelf.children()) {
    showShelf(*child, child->cards(), depth + 1);
  }
}

// The shelf tree: the projects in the sibling order, one per identifier, the default shelf last.
// The default shelf also shows the cards on no shelf, so that no card drops out of the tree.
void showShelfTree(data::Context& context) {
  std::vector<std::shared_ptr<Shelf>> projects;
  for (const std::shared_ptr<Shelf>& shelf :
       DuplicateMerge::preferred(context.fetch(Shelf::fetchRequest()))) {
    if (shelf->parent() == nullptr) projects.push_back(shelf);
  }
  std::ranges::stable_sort(
      projects, [](const auto& a, const auto& b) { return Shelf::isSiblingOrderBefore(*a, *b); });
  std::vector<std::shared_ptr<Card>> onNoShelf;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->shelf() == nullptr) onNoShelf.push_back(card);
  }
  for (const std::shared_ptr<Shelf>& project : projects) {
    std::vector<std::shared_ptr<Card>> cards = project->cards();
    if (project->isDefaultShelf()) cards.insert(cards.end(), onNoShelf.begin(), onNoShelf.end());
    showShelf(*project, std::move(cards), 0);
  }
}

// The plan of importing a file: every snippet new, already kept (a card has its content hash)
// or repeated in the file. None when the file cannot be read, which is said.
std::optional<ImportPlan> planImport(data::Context& context, std::span<const std::uint8_t> file,
                                     const std::string& filename) {
  const auto parsed = SnippetImporter::parse(file, filename, std::nullopt);
  if (!parsed) {
    std::printf("%s\n", parsed.error().message().c_str());
    return std::nullopt;
  }
  ImportPlan::Hashes kept;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    kept.emplace(card->contentHash(), card->id());
  }
  // The plan only names a place; the host makes the shelf (commitImport below).
  const auto destination = ImportDestination::newShelf(parsed->suggestedShelfName, std::nullopt);
  return ImportPlan::make(parsed->snippets, kept, destination, parsed->format, parsed->sourceName,
                          UUID::random());
}

// The shelf called `name` inside `parent`, made when missing and the library has room; else the
// parent. Nothing in the library counts shelves: the host keeps to Shelf::maximumCount.
std::shared_ptr<Shelf> shelfInside(data::Context& context, const std::shared_ptr<Shelf>& parent,
                                   const std::string& name, Date now) {
  if (auto found = findShelf(context, name, parent)) return found;
  if (context.count(Shelf::fetchRequest()) >= Shelf::maximumCount) return parent;
  auto made = Shelf::make(UUID::random(), name, 0, now, false, parent);
  if (parent == nullptr) context.insert(made);
  return made;
}

// The shelf with this identifier, or none.
std::shared_ptr<Shelf> shelfWithID(data::Context& context, const UUID& id) {
  for (const std::shared_ptr<Shelf>& shelf : context.fetch(Shelf::fetchRequest())) {
    if (shelf->id() == id) return shelf;
  }
  return nullptr;
}

// Makes a text card of every included row, on a shelf for each of its folders inside the
// plan's destination. Gives how many it made; saves nothing.
std::size_t commitImport(data::Context& context, const ImportPlan& plan, Date now) {
  const std::vector<ImportPlan::Row> rows = plan.includedRows();
  if (rows.empty()) return 0;  // a second import of the same file makes no empty shelf
  const auto& place = plan.destination().value;
  std::shared_ptr<Shelf> destination;
  if (const auto* existing = std::get_if<ImportDestination::Existing>(&place)) {
    destination = shelfWithID(context, existing->shelf);
  } else {
    const auto& made = std::get<ImportDestination::NewShelf>(place);
    const auto project = made.inProject ? shelfWithID(context, *made.inProject) : nullptr;
    destination = shelfInside(context, project, made.name, now);
  }
  if (destination == nullptr) return 0;  // the chosen shelf was deleted meanwhile
  for (const ImportPlan::Row& row : rows) {
    std::shared_ptr<Shelf> shelf = destination;
    for (const std::string& folder : row.snippet.folderPath) {
      shelf = shelfInside(context, shelf, folder, now);
    }
    // Card::make gives the card the hash the row has, so the next import skips this row. The
    // keyword (row.snippet.keyword) has no field on a card.
    Card::make({.id = UUID::random(),
                .type = CardType::text,
                .title = row.title,
                .payload = row.snippet.body,  // trimmed by the plan
                .createdAt = now,
                .shelf = shelf});
  }
  return rows.size();
}

// What an import sheet says of a row. Only a new row can be left out (canToggle); the others
// make no card, whatever the user does.
std::string rowStatus(const ImportPlan::Row& row) {
  const auto& status = row.status.value;
  if (std::holds_alternative<ImportPlan::Status::New>(status)) {
    return row.included ? "new" : "new, left out";
  }
  if (std::holds_alternative<ImportPlan::Status::AlreadyInKelvo>(status)) {
    return "already kept";  // AlreadyInKelvo::card is the card that has this text
  }
  if (const auto* repeated = std::get_if<ImportPlan::Status::DuplicateInFile>(&status)) {
    return "repeats row " + std::to_string(repeated->of);  // rows count from 0
  }
  if (std::holds_alternative<ImportPlan::Status::Empty>(status)) return "empty";
  return "too long for a card";  // ImportPlan::Status::TooLong
}

// Each row of the plan with its status, then the counts an import sheet shows.
void showImportRows(const ImportPlan& plan) {
  for (const ImportPlan::Row& row : plan.rows()) {
    std::printf("row %lld \"%s\": %s\n", static_cast<long long>(row.id), row.title.c_str(),
                rowStatus(row).c_str());
  }
  const ImportPlan::Summary summary = plan.summary();
  std::printf("%lld rows: %lld new (%lld to import), %lld already kept, %lld skipped\n",
              static_cast<long long>(summary.total), static_cast<long long>(summary.new_),
              static_cast<long long>(summary.included),
              static_cast<long long>(summary.alreadyInKelvo),
              static_cast<long long>(summary.skipped));
}

// Reminds of the card at 9:00 tomorrow, unless a reminder of it is open already. A reminder
// names its card by identifier, so it outlives the card. Saves nothing.
void remindTomorrow(data::Context& context, const UUID& cardID, Date now,
                    const Calendar& calendar) {
  for (const std::shared_ptr<CardReminder>& reminder :
       context.fetch(CardReminder::fetchRequest())) {
    if (reminder->cardID() == cardID && !reminder->isDone()) return;
  }
  if (const std::optional<Date> fireAt = ReminderSchedule::tomorrowMorning(now, calendar)) {
    context.insert(CardReminder::make(
        {.id = UUID::random(), .cardID = cardID, .fireAt = *fireAt, .createdAt = now}));
  }
}

// The agenda: its headline, then the open reminders section by section, soonest first.
void showAgenda(data::Context& context, Date now, const Calendar& calendar) {
  const auto reminders = context.fetch(CardReminder::fetchRequest());
  std::printf("%s\n", ReminderAgenda::headline(reminders, now, calendar).c_str());
  for (const ReminderAgenda::Section& section :
       ReminderAgenda::sections(reminders, now, calendar)) {
    for (const UUID& id : section.reminderIDs) {
      for (const std::shared_ptr<CardReminder>& reminder : reminders) {
        if (reminder->id() == id) {
          std::printf("%s: %s\n", std::string(section.id()).c_str(),
                      reminder->summary(now, calendar).c_str());  // "thisWeek: Due tomorrow"
        }
      }
    }
  }
}

// The smart shelf "Policies", made once through the organiser, which refuses one past
// SmartShelf::maximumCount and says why. Saves nothing.
void addPoliciesShelf(data::Context& context, Date now) {
  for (const std::shared_ptr<SmartShelf>& shelf : context.fetch(SmartShelf::fetchRequest())) {
    if (shelf->name() == "Policies") return;
  }
  const SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, "insurance",
                                    CardPredicate::neverUsed(), CardSort::title);
  const SmartShelfCreation made = SmartShelfOrganiser::create("Policies", criteria, context, now);
  if (const auto* refused = std::get_if<ShelfRefusal>(&made)) {
    std::printf("%s\n", refused->message().c_str());
  }
}

// Every saved smart shelf read back, and the cards it gathers now.
void showSmartShelves(data::Context& context, const std::vector<SearchableCard>& cards,
                      const SearchIndex& index, Date now) {
  for (const std::shared_ptr<SmartShelf>& shelf : context.fetch(SmartShelf::fetchRequest())) {
    const std::variant<SavedSearch, ShelfRefusal> opened = SmartShelfOrganiser::open(*shelf);
    if (const auto* refused = std::get_if<ShelfRefusal>(&opened)) {  // a newer version wrote it
      std::printf("%s\n", refused->message().c_str());
      continue;
    }
    const std::vector<SearchableCard> shown = SmartShelfEvaluation::evaluate(
        std::get<SavedSearch>(opened), cards, SmartShelfEvaluation::literalRanking(index), now);
    for (const SearchableCard& card : shown) {
      std::printf("%s holds \"%s\"\n", shelf->name().c_str(), std::string(card.title()).c_str());
    }
  }
}

// The widget's snapshot: the cards reached for most, and how many open reminders are due by the
// end of today, overdue ones included.
std::string widgetSnapshot(data::Context& context, const std::vector<SearchableCard>& cards,
                           Date now, const Calendar& calendar) {
  std::vector<Date> fireAts;  // a done reminder is due no more
  for (const std::shared_ptr<CardReminder>& reminder :
       context.fetch(CardReminder::fetchRequest())) {
    if (!reminder->isDone()) fireAts.push_back(reminder->fireAt());
  }
  const KelvoWidgetSnapshot snapshot = KelvoWidgetSnapshot::build(
      cards, fireAts, RankingContext::current(std::nullopt, now, calendar),
      KelvoWidgetSnapshot::cardLimit, now, calendar);
  return snapshot.encoded();  // "kelvo-widget.json" in the app group
}

// One message framed as the wire carries it, and read back by the receiving end.
std::vector<Remote::Message> pingRoundTrip() {
  const Bytes frame = Remote::Framer::encode(Remote::Message::ping());
  Remote::Framer receiving;  // one per connection
  return receiving.append(frame);
}

// The program's settings, in a suite of its own. A host keeps them in the standard suite,
// UserDefaults::standard(): the file "kelvo/defaults.json" under the configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), in memory when the process has no home folder. Or in a
// named one: UserDefaults::suiteFile("reading-list") gives "kelvo/reading-list.json" there.
// Each set is written to the file at once; every suite over that file, in this process or
// another, reads it back.
void keepSettings(UserDefaults& settings) {
  settings.set("theme", "dark");
  settings.set("recentSearches", std::vector<std::string>{"tax", "indemnity"});
  const auto recent = settings.stringArray("recentSearches").value_or(std::vector<std::string>{});
  std::printf("settings: theme %s, %zu recent searches\n",
              settings.string("theme").value_or("light").c_str(), recent.size());
}

// A settings file holds at most UserDefaults::fileSizeLimit (4 MiB): a larger one is not read.
// A value that would take it past the limit is not written: it waits alone in memory (reads
// give it), the suite's other changes are written as ever, and synchronize() says false until
// that key is removed or set smaller. A large value goes in a file of its own instead, with its
// name in the settings.
void keepDraft(UserDefaults& settings, const std::filesystem::path& folder,
               const std::string& draft) {
  settings.set("draft", draft);
  if (settings.synchronize()) return;
  std::printf("settings: a draft of %zu MiB waits, synchronize() says false\n", draft.size() >> 20);
  settings.removeObject("draft");  // the file never held it
  const std::filesystem::path file = folder / "draft.txt";
  std::ofstream(file, std::ios::binary) << draft;
  settings.set("draftFile", file.filename().string());
  std::printf("settings: the draft went to a file of its own, synchronize() says %s\n",
              settings.synchronize() ? "true" : "false");
}

// synchronize() false also when the file cannot be written (a full disk, a read-only folder)
// or another program held the file's lock for 2 seconds. The changes wait in memory, and each
// later set, removeObject or synchronize() tries again. Before it quits, a host asks once more,
// and tells its user when settings made in this run will not last.
void settingsBeforeQuitting(UserDefaults& settings) {
  if (!settings.synchronize()) {
    std::printf("Some settings could not be saved and will be lost when the program ends.\n");
  }
}

// What a host may say above a store error's own sentence (what(), which names the file).
std::string_view storeErrorHeading(data::StoreError::Kind kind) {
  switch (kind) {
    case data::StoreError::Kind::sqlite:  // a folder missing or read-only, a read-only file
      return "The library could not be opened, read or saved.";
    case data::StoreError::Kind::incompatibleStore:  // no store, a newer version's, damaged
      return "This file is not a library this app can read.";
    case data::StoreError::Kind::conflict:
      return "Another program changed the library first.";
    case data::StoreError::Kind::validation:
      return "A change could not be kept.";
    case data::StoreError::Kind::noStore:
      return "There is no library to save to.";
    case data::StoreError::Kind::keysExhausted:
      return "The library cannot take more records.";
  }
  return "The library failed.";
}

// Saves every pending change. When another program deleted a row that one of them changes or
// links to (a conflict), throws them all away instead and says why: what the user asked for is
// then applied anew in a fresh context. Gives whether the changes were saved.
bool saveUnlessConflict(data::Context& context) {
  try {
    context.save();
    return true;
  } catch (const data::StoreError& error) {
    if (error.kind() != data::StoreError::Kind::conflict) throw;
    // "Could not save: a Card row was deleted by another writer."
    std::printf("%s\n", error.what());
    context.rollback();  // what it holds stays as it read it, not as the file now is
    return false;
  }
}

// Makes a change the user asked for, `change(context)`, and saves it. After a conflict, makes it
// once more in a fresh context over the same store, which reads what the other program did;
// `change` finds what it changes in the context it is given. Gives whether it was saved.
template <class Change>
bool applyAndSave(data::Context& context, const Change& change) {
  change(context);
  if (saveUnlessConflict(context)) return true;
  data::Context fresh(context.coordinator());
  change(fresh);
  return saveUnlessConflict(fresh);
}

// Puts "Parking permit 2025" on the shelf "Draft reply" is on.
void fileBesideDraft(data::Context& context) {
  findCard(context, "Parking permit 2025")->setShelf(findCard(context, "Draft reply")->shelf());
}

// Every step above, as one run of the program.
void useLibrary(const std::filesystem::path& store) {
  const Date now = Clock::system().now();  // the library never reads the clock itself
  const Calendar calendar = Calendar::current();
  const auto turn = takeTurn(store);  // held until this run returns; another run waits here
  prepareLibrary(store, now);
  const auto library = openLibrary(store);  // reopened: what was saved is read back
  data::Context& context = library->viewContext();

  const auto household = findShelf(context, "Household", nullptr);
  findCard(context, "Car insurance")->setShelf(findShelf(context, "Insurance", household));
  // On the second run the move and the edit change nothing, and there is no "Old flat".
  const auto readings = findCard(context, "Meter readings");
  showEdit(editCard(*readings, "Meter readings", " \n"));  // refused: no text
  showEdit(editCard(*readings, " Meter readings ", "Gas 4410, water 872, power 1290"));
  if (const auto oldFlat = findShelf(context, "Old flat", household)) deleteShelf(context, oldFlat);
  // On the second run there is no live permit and no draft.
  trashCard(context, "Parking permit 2025", now);
  removeCard(context, "Draft reply");
  // A host reads the file the user chose.
  const std::string file =
      "name,keyword,text,folder\n"
      "Policy,;pol,\"Policy 42-7, renews in March\",Replies\n"
      "Greeting,;hi,Hello!,Replies\n"
      "Sign-off,;bye,\"Best, Ada\",Signatures\n";
  if (const auto plan = planImport(context, asBytes(file), "team.csv")) {
    std::printf("imported %zu cards\n", commitImport(context, *plan, now));
  }
  remindTomorrow(context, findCard(context, "Tax return 2026")->id(), now, calendar);
  addPoliciesShelf(context, now);
  saveUnlessConflict(context);  // every change above in one transaction

  showShelfTree(context);
  const std::vector<SearchableCard> cards = liveRecords(context);
  const SearchIndex index(cards);
  showLiteral(index, "tax");
  showLiteralAmong(cards, CardPredicate::type(CardType::document), "march", now);
  showByMeaning(makeSemanticSearch(), index, "indemnity");
  showPluralByMeaning(makeSemanticSearch(), cards);
  showWordTables();
  showAgenda(context, now, calendar);
  showSmartShelves(context, cards, index, now);
  std::printf("the widget's snapshot: %s\n", widgetSnapshot(context, cards, now, calendar).c_str());
  std::printf("%zu messages read back\n", pingRoundTrip().size());
}

// ---------------------------------------------------------------------------------------------
// What the guide says of the steps, checked on the store they left.

int failures = 0;

void check(bool holds, const char* what) {
  std::printf("consumer: %s: %s\n", holds ? "ok" : "FAILED", what);
  if (!holds) ++failures;
}

void checkShelvesAndCards(data::Context& context) {
  const auto shelves = context.fetch(Shelf::fetchRequest());
  const auto defaultShelves = std::count_if(
      shelves.begin(), shelves.end(), [](const auto& shelf) { return shelf->isDefaultShelf(); });
  const std::vector<SearchableCard> cards = liveRecords(context);
  std::printf("consumer: the library holds %td default shelf, %zu shelves and %zu cards\n",
              defaultShelves, shelves.size(), cards.size());
  check(defaultShelves == 1 && shelves.size() == 7 && cards.size() == 7,
        "one default shelf, seven shelves and seven cards");

  const Bytes receipt = toBytes("%PDF-1.7\n% the bytes of a file the user chose\n");
  const auto file = findCard(context, "March receipt");
  check(file != nullptr && file->type() == CardType::document && file->filename() &&
            file->contentHash() == FileCapture::contentHash(CardType::document, receipt) &&
            file->payloadData() == receipt && file->previewText() == "PDF · 46 bytes",
        "the file card keeps its bytes, their hash and the guide's preview");

  const auto household = findShelf(context, "Household", nullptr);
  const auto insurance = findShelf(context, "Insurance", household);
  const auto moved = findCard(context, "Car insurance");
  check(household != nullptr && insurance != nullptr && moved != nullptr &&
            moved->shelf() == insurance && insurance->parent() == household &&
            findShelf(context, "Insurance", household) == insurance,
        "the moved card is on its new shelf, and a shelf fetched twice is one object");
  if (moved != nullptr) moved->setShelf(insurance);
  check(!context.hasChanges(), "giving a card the shelf it is on writes nothing");
  const auto readings = findCard(context, "Meter readings");
  const auto tenancy = findShelf(context, "Tenancy", household);
  check(findShelf(context, "Old flat", household) == nullptr && readings != nullptr &&
            readings->shelf() == findDefaultShelf(context) && tenancy != nullptr &&
            tenancy->cards().empty(),
        "a deleted shelf's card is on the default shelf, and its child shelf in its parent");
  const auto fact = findCard(context, "Office email");
  const std::vector<SearchResult> work = SearchIndex(liveRecords(context)).search("work", 20);
  check(fact != nullptr && fact->type() == CardType::fact && fact->factKind() == FactKind::email &&
            fact->payload() == "ada@example.com" && work.size() == 1 &&
            work[0].matchedFields == SearchFields{SearchField::factLabel},
        "a fact card keeps its kind and label, and search finds its label");
  const auto records = liveRecords(context);
  const auto movedRecord = std::find_if(records.begin(), records.end(), [](const auto& card) {
    return card.title() == "Car insurance";
  });
  check(movedRecord != records.end() && movedRecord->shelfName() == "Insurance" &&
            movedRecord->projectName() == "Household",
        "the record names the shelf and the project above it");
}

void checkTrash(data::Context& context) {
  std::shared_ptr<Card> trashed;
  bool removedIsGone = true;
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->title() == "Parking permit 2025") trashed = card;
    if (card->title() == "Draft reply") removedIsGone = false;
  }
  const SearchIndex index(liveRecords(context));
  check(trashed != nullptr && trashed->isTrashed() &&
            findCard(context, trashed->title()) == nullptr && index.search("parking", 20).empty(),
        "the trashed card stays in the store, in the trash, and search leaves it out");
  check(removedIsGone, "the removed card is gone from the store");
}

void checkEdit(data::Context& context) {
  const std::string text = "Gas 4410, water 872, power 1290";
  const auto edited = findCard(context, "Meter readings");
  const auto made = Card::make({.type = CardType::text, .payload = text});  // in no context
  check(edited != nullptr && edited->payload() == text &&
            edited->previewText() == made->previewText() &&
            edited->contentHash() == made->contentHash(),
        "an edited card keeps the preview and hash Card::make gives its new text");
  const std::string file =
      "name,text\n"
      "New,\"Gas 4410, water 872, power 1290\"\n"
      "Old,\"Gas 4410, water 872\"\n";
  const auto plan = planImport(context, asBytes(file), "edit.csv");
  check(plan && plan->rows().size() == 2 && edited != nullptr &&
            plan->rows()[0].status == ImportPlan::Status::alreadyInKelvo(edited->id()) &&
            plan->rows()[1].status.isNew(),
        "after an edit an import finds the new text kept and takes the old one in as new");
}

void checkImport(data::Context& context) {
  const auto team = findShelf(context, "team", nullptr);
  const auto replies = findShelf(context, "Replies", team);
  const auto greeting = findCard(context, "Greeting");
  check(team != nullptr && replies != nullptr && findShelf(context, "Signatures", team) &&
            greeting != nullptr && greeting->shelf() == replies && greeting->payload() == "Hello!",
        "the import made its cards on a shelf for each folder inside the suggested shelf");
  check(
      greeting != nullptr && greeting->contentHash() == Card::contentHash(CardType::text, "Hello!"),
      "an imported card has the hash its row had");
  const std::string file =
      "name,keyword,text,folder\n"
      "Policy,;pol,\"Policy 42-7, renews in March\",Replies\n"
      "Greeting,;hi,Hello!,Replies\n"
      "Sign-off,;bye,\"Best, Ada\",Signatures\n";
  const auto again = planImport(context, asBytes(file), "team.csv");
  check(again && again->includedRows().empty() && again->summary().alreadyInKelvo == 3,
        "a second import of the file finds every row kept");
}

void checkReminders(data::Context& context, Date now, const Calendar& calendar) {
  const auto reminders = context.fetch(CardReminder::fetchRequest());
  const auto tax = findCard(context, "Tax return 2026");
  check(reminders.size() == 1 && tax != nullptr && reminders[0]->cardID() == tax->id() &&
            reminders[0]->summary(now, calendar) == "Due tomorrow",
        "one reminder of the tax card, due tomorrow");
  const auto sections = ReminderAgenda::sections(reminders, now, calendar);
  check(sections.size() == 1 && sections[0].bucket == ReminderBucket::thisWeek,
        "the agenda shows it this week");
  const std::vector<SearchableCard> cards = liveRecords(context);
  const auto snapshot = KelvoWidgetSnapshot::decode(widgetSnapshot(context, cards, now, calendar));
  const auto tomorrow = reminders.empty() ? now : reminders[0]->fireAt() + 60;
  check(snapshot.cards().size() == 4 && snapshot.remindersDue() == 0 &&
            KelvoWidgetSnapshot::decode(widgetSnapshot(context, cards, tomorrow, calendar))
                    .remindersDue() == 1,
        "the widget snapshot counts the reminder on its day");
}

void checkSmartShelf(data::Context& context, Date now) {
  const auto smartShelves = context.fetch(SmartShelf::fetchRequest());
  check(smartShelves.size() == 1 && smartShelves[0]->name() == "Policies" &&
            !isUnreadable(*smartShelves[0]),
        "one smart shelf, saved and read back");
  const std::vector<SearchableCard> cards = liveRecords(context);
  const SearchIndex index(cards);
  std::vector<SearchableCard> shown;
  if (const auto search = definition(*smartShelves.at(0))) {
    shown = SmartShelfEvaluation::evaluate(*search, cards,
                                           SmartShelfEvaluation::literalRanking(index), now);
  }
  check(shown.size() == 1 && shown[0].title() == "Car insurance", "the smart shelf's cards");
  for (std::int64_t more = 1; more < SmartShelf::maximumCount; ++more) {
    const SmartShelfCriteria any(SmartShelfCriteria::currentVersion, std::nullopt,
                                 CardPredicate::neverUsed(), CardSort::title);
    SmartShelfOrganiser::create("More", any, context, now);
  }
  const SmartShelfCriteria one(SmartShelfCriteria::currentVersion, std::nullopt,
                               CardPredicate::neverUsed(), CardSort::title);
  const auto refused = SmartShelfOrganiser::create("One too many", one, context, now);
  check(std::holds_alternative<ShelfRefusal>(refused), "the organiser refuses a thirteenth");
  context.rollback();
}

void checkSearchAndTables(data::Context& context, Date now, const char* prefix) {
  const std::vector<SearchableCard> cards = liveRecords(context);
  const SearchIndex index(cards);
  const std::vector<SearchResult> literal = index.search("tax", 20);
  check(literal.size() == 1 && literal[0].card.title() == "Tax return 2026" &&
            literal[0].matchedFields == SearchFields{SearchField::title},
        "literal search, and where it found the word");
  const SearchIndex documents(CardPredicate::type(CardType::document).filter(cards, now));
  const std::vector<SearchResult> march = documents.search("march", 20);
  check(index.search("march", 20).size() == 2 && march.size() == 1 &&
            march[0].card.title() == "March receipt",
        "a filter narrows a search to the cards it lets through");
  const std::vector<SearchResult> minusTax = index.search("-tax", 20);
  check(index.search("type:document", 20).empty() && minusTax.size() == 1 &&
            minusTax[0].card.title() == "Tax return 2026",
        "a query is words: no filters, no word left out");
  check(SemanticSearch(WordEmbeddingLexicon::standard(), {}).search("tax", index).empty(),
        "options left at zero find nothing, as the guide says");
  const SemanticSearch byMeaning = makeSemanticSearch();
  const std::vector<SemanticSearchResult> widened = byMeaning.search("indemnity", index);
  check(widened.size() == 1 && widened[0].card.title() == "Car insurance" &&
            !widened[0].explanations.empty() && !widened[0].isLiteralMatch() &&
            widened[0].explanations[0].matchedTerm == "insurance",
        "search by meaning finds \"insurance\" for \"indemnity\", and says why");
  check(!index.search("car", 20).empty() && byMeaning.search("automobile", index).empty(),
        "\"automobile\" does not reach \"car\", a word of three characters");
  check(SemanticSearch(WordEmbeddingLexicon::standard(), byMeaning.options())
            .search("indemnity", index)
            .empty(),
        "a lexicon not prewarmed has no neighbours, as the guide says");

  const auto english = language::WordEmbedding::forLanguage("en");
  const auto tagger = language::LemmaTagger::standard();
  check(!language::dataProblem() && english != nullptr && !english->neighbours("car", 12).empty() &&
            tagger != nullptr && tagger->lemma("geese") == "goose" && !tagger->lemma("qxzzy"),
        "the word tables: neighbours of \"car\", the lemma of \"geese\", none of a non-word");
  if (prefix != nullptr) {
    check(language::dataDirectory().string().rfind(prefix, 0) == 0,
          "the word tables come from the package's own prefix");
  }
  const std::vector<Remote::Message> received = pingRoundTrip();
  check(received.size() == 1 && std::holds_alternative<Remote::Message::Ping>(received[0].value),
        "a ping framed and read back");
}

std::shared_ptr<Card> cardWithID(data::Context& context, const UUID& id) {
  for (const std::shared_ptr<Card>& card : context.fetch(Card::fetchRequest())) {
    if (card->id() == id) return card;
  }
  return nullptr;
}

// What the guide says of a change that meets a conflict: "Draft reply" is on "Tenancy", which
// another program deletes; filing a card beside it is a conflict, and made anew in a fresh
// context files the card on no shelf.
void checkChangeMadeAnew(const std::filesystem::path& store, Date now) {
  prepareLibrary(store, now);
  const auto mine = openLibrary(store);
  const auto theirs = openLibrary(store);
  data::Context& context = mine->viewContext();
  const auto tenancy = [](data::Context& in) {
    return findShelf(in, "Tenancy", findShelf(in, "Old flat", findShelf(in, "Household", nullptr)));
  };
  findCard(context, "Draft reply")->setShelf(tenancy(context));
  context.save();
  data::Context& other = theirs->viewContext();
  other.deleteObject(*tenancy(other));
  other.save();
  const bool saved = applyAndSave(context, fileBesideDraft);
  data::Context after(context.coordinator());
  check(saved && findCard(after, "Parking permit 2025")->shelf() == nullptr &&
            findCard(after, "Draft reply")->shelf() == nullptr,
        "a change that meets a conflict is made anew in a fresh context, and saved");
}

// What the guide says of other programs on the store, shown on a library of its own: two
// containers over one file are two programs as far as the store can tell.
void checkOtherPrograms(Date now) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kelvo-consumer-" + UUID::random().uuidString());
  std::filesystem::create_directories(folder);
  const std::filesystem::path store = folder / "Kelvo.store";
  prepareLibrary(store, now);
  {
    const auto mine = openLibrary(store);
    const auto theirs = openLibrary(store);
    data::Context& context = mine->viewContext();
    data::Context& other = theirs->viewContext();
    const auto tax = findCard(context, "Tax return 2026");
    const UUID id = tax->id();
    tax->setTitle("Tax return 2026, filed");
    tax->setUseCount(2);
    context.save();
    const auto theirTax = cardWithID(other, id);
    theirTax->setTitle("Taxes 2026");
    theirTax->setIsPinned(true);
    other.save();
    const auto third = openLibrary(store);
    const auto stored = cardWithID(third->viewContext(), id);
    check(stored->title() == "Taxes 2026" && stored->useCount() == 2 && stored->isPinned(),
          "both saves land, the later one's changed attributes winning one by one");
    context.rollback();
    check(cardWithID(context, id) == tax && tax->title() == "Tax return 2026, filed" &&
              !tax->isPinned(),
          "an object held is not refreshed, nor by a rollback");
    data::Context afresh(context.coordinator());
    const auto read = cardWithID(afresh, id);
    check(read->title() == "Taxes 2026" && read->isPinned(), "a new context reads afresh");

    const auto receipt = findCard(context, "March receipt");
    other.deleteObject(*findCard(other, "March receipt"));
    other.save();
    receipt->setTitle("Receipt");
    check(!saveUnlessConflict(context) && !context.hasChanges() &&
              findCard(context, "March receipt") == nullptr &&
              findCard(context, "Receipt") == nullptr,
          "a change to a row another program deleted is a conflict, and is thrown away");

    // Another program moves a card onto a shelf this one is deleting: the card ends on none.
    const auto household = findShelf(context, "Household", nullptr);
    deleteShelf(context, findShelf(context, "Old flat", household));
    const auto theirHousehold = findShelf(other, "Household", nullptr);
    findCard(other, "Taxes 2026")->setShelf(findShelf(other, "Old flat", theirHousehold));
    other.save();
    check(saveUnlessConflict(context), "a shelf deleted while another program moves onto it");
    data::Context after(context.coordinator());
    check(cardWithID(after, id)->shelf() == nullptr &&
              findCard(after, "Meter readings")->shelf() == findDefaultShelf(after),
          "a card moved onto a shelf just before its delete ends on no shelf");

    const auto second = Shelf::make(Shelf::defaultShelfID(), std::string(Shelf::defaultShelfName),
                                    0, now + 1, true, nullptr);
    other.insert(second);
    Card::make({.id = UUID::random(),
                .type = CardType::text,
                .title = "Left on the second",
                .payload = "kept",
                .createdAt = now + 1,
                .shelf = second});
    other.save();
    const DuplicateMergeReport report = DuplicateMerge::run(context);
    const auto shelves = context.fetch(Shelf::fetchRequest());
    const auto kept = findCard(context, "Left on the second");
    check(report.removedCount(Shelf::mergeEntityName) == 1 && !report.saveFailed &&
              std::count_if(shelves.begin(), shelves.end(),
                            [](const auto& shelf) { return shelf->isDefaultShelf(); }) == 1 &&
              kept != nullptr && kept->shelf() == findDefaultShelf(context),
          "the merge folds a second default shelf into the first, with its cards");

    fillNewLibrary(other, now + 2);  // as a second run that took no turn would
    other.save();
    DuplicateMerge::run(context);
    data::Context merged(context.coordinator());
    std::size_t households = 0, defaults = 0;
    for (const std::shared_ptr<Shelf>& shelf : merged.fetch(Shelf::fetchRequest())) {
      households += shelf->name() == "Household" ? 1 : 0;
      defaults += shelf->isDefaultShelf() ? 1 : 0;
    }
    check(households == 2 && defaults == 1,
          "the merge folds only what shares an identifier: a second fill stays doubled");
  }
  checkChangeMadeAnew(folder / "Anew.store", now);
  std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: kelvo-consumer STORE-FILE [PACKAGE-PREFIX]\n");
    return 2;
  }
  const std::filesystem::path store = argv[1];  // a host: KelvoPersistence::storeURL("Kelvo")
  try {
    useLibrary(store);

    const Date now = Clock::system().now();
    const auto library = openLibrary(store);
    data::Context& context = library->viewContext();
    checkShelvesAndCards(context);
    checkTrash(context);
    checkEdit(context);
    checkImport(context);
    checkReminders(context, now, Calendar::current());
    checkSmartShelf(context, now);
    checkSearchAndTables(context, now, argc > 2 ? argv[2] : nullptr);
    checkOtherPrograms(now);

    for (const char* text : {"https://example.com/reading-list", "www.example.com/reading-list",
                             "example.com/reading-list"}) {
      showLink(*makeLinkCard(text, nullptr, now));  // in no context: the library keeps its cards
    }
    const std::string rows =
        "name,text\n"
        "Policy,\"Policy 42-7, renews in March\"\n"
        "Idea,Read the reading list\n"
        "Idea again,Read the reading list\n"
        "Blank,\" \"\n"
        "Later,Sort the reading list\n"
        "Long," +
        std::string(CardTypeLimits::textPayloadLimit + 1, 'x') + "\n";
    if (auto plan = planImport(context, asBytes(rows), "rows.csv")) {
      plan->setIncluded(false, 4);
      showImportRows(*plan);
    }
    const std::filesystem::path folder = std::filesystem::absolute(store).parent_path();
    UserDefaults settings(folder /
                          "kelvo-consumer.json");  // beside the store: tests leave the user's alone
    keepSettings(settings);
    keepDraft(settings, folder, std::string(std::size_t{5} << 20, 'd'));
    settingsBeforeQuitting(settings);
    check(UserDefaults(folder / "kelvo-consumer.json").string("draftFile") == "draft.txt" &&
              !UserDefaults(folder / "kelvo-consumer.json").object("draft"),
          "settings: another suite over the file reads them back, without the draft");
  } catch (const data::StoreError& error) {  // its sentence names the store's file
    std::fprintf(stderr, "kelvo-consumer: %s\n%s\n",
                 std::string(storeErrorHeading(error.kind())).c_str(), error.what());
    return 1;
  } catch (const Error& error) {  // a file's: one sentence that says what failed
    std::fprintf(stderr, "kelvo-consumer: %s\n", error.what());
    return 1;
  }
  std::printf("consumer: %s\n", failures == 0 ? "all good" : "failures");
  return failures == 0 ? 0 : 1;
}
