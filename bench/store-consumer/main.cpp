// Opens the store named first on the command line. A new one gets a default shelf and 100
// cards; one that has them is read: every shelf and card, and each card's shelf.
//
// With "one-more" and a copy of that store after it, keeps one card more and saves, then closes
// the container in a function of its own (`closeTheStore`); beside it, a caller of SQLite alone
// adds a row to the copy in a transaction and closes its connection (`closeRawPeer`): the close
// after a small save, and SQLite's own, counted in one program.
//
// With "cycles" and a count, opens and closes that store so many times (`openTheStore`, then
// `closeTheStore`), with the given number of other stores open beside it in this program, while a
// program it starts holds the given number of record locks on a file of its own (an unrelated
// program on a busy machine); prints the mean wall and CPU time of a cycle. Beside it, a caller
// of SQLite alone opens and closes the store as many times (`openRawPeer`, `closeRawPeer`).
//
// With "beside-reader", a count and a copy of that store, keeps that many cards one save at a
// time (`saveTheCards`) while a program it starts reads the store through SQLite alone and stays
// in its read transaction, so that the log is never reset; then, beside such a reader of the
// copy, a caller of SQLite alone makes as many one-row commits into the copy (`rawCommits`).
// Prints the CPU time of each.
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"

using namespace kelvo;

namespace {

__attribute__((noinline)) void closeTheStore(std::unique_ptr<data::Container>& container) {
  container.reset();
}

__attribute__((noinline)) int closeRawPeer(sqlite3* connection) {
  return sqlite3_close(connection);
}

int oneMore(const char* store, const char* copy) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions({KelvoPersistence::description(store)});
  bool opened = true;
  container->loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    opened = error == nullptr;
  });
  if (!opened) return 1;
  data::Context& context = container->viewContext();
  KelvoPersistence::configure(context);
  const auto shelves = context.fetch(Shelf::fetchRequest());
  if (shelves.empty()) return 1;
  Card::make({.id = UUID::random(),
              .type = CardType::text,
              .title = "One more",
              .payload = "One more card",
              .createdAt = Date(800'000'000),
              .shelf = shelves.front()});
  context.save();
  closeTheStore(container);

  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(copy, &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(connection,
                   "CREATE TABLE IF NOT EXISTS peer(x); BEGIN; INSERT INTO peer VALUES "
                   "('One more card'); COMMIT;",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(connection);
    return 1;
  }
  return closeRawPeer(connection) == SQLITE_OK ? 0 : 1;
}

std::unique_ptr<data::Container> load(const std::string& store) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions({KelvoPersistence::description(store)});
  bool opened = true;
  container->loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    opened = error == nullptr;
    if (error != nullptr) std::fprintf(stderr, "%s\n", error->what());
  });
  return opened ? std::move(container) : nullptr;
}

// The store measured, and the others: told apart by the functions that open them.
__attribute__((noipa)) std::unique_ptr<data::Container> openTheStore(const std::string& store) {
  return load(store);
}
__attribute__((noipa)) std::unique_ptr<data::Container> openAnother(const std::string& store) {
  return load(store);
}

__attribute__((noinline)) sqlite3* openRawPeer(const char* store) {
  sqlite3* connection = nullptr;
  sqlite3_open_v2(store, &connection, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_exec(connection, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
  return connection;
}

// A program holding `count` record locks, each a line of the system's list of locks, on a file
// of its own; killed when this one ends.
pid_t holdLocks(const std::string& file, int count) {
  int ready[2];
  if (count <= 0 || pipe(ready) != 0) return 0;
  const pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    for (int i = 0; i < count; ++i) {
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_start = 2 * i;  // apart, so that each is a lock of its own
      lock.l_len = 1;
      fcntl(descriptor, F_SETLK, &lock);
    }
    const char byte = 'y';
    (void)!write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  (void)!read(ready[0], &byte, 1);
  close(ready[0]);
  close(ready[1]);
  return child;
}

// A program that, once told which store, reads it through SQLite alone and stays in its read
// transaction, as a widget caught reading would; killed when this one ends. Started before this
// program opens anything: SQLite in a child forked while the parent has the file open would take
// the parent's locks for its own.
class Reader {
 public:
  Reader() {
    if (pipe(ask_) != 0 || pipe(answer_) != 0) return;
    process_ = fork();
    if (process_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      char path[4096] = {};
      (void)!::read(ask_[0], path, sizeof path - 1);
      sqlite3* connection = nullptr;
      char byte = 'n';
      if (sqlite3_open_v2(path, &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
          sqlite3_exec(connection, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr, nullptr,
                       nullptr) == SQLITE_OK) {
        byte = 'y';
      }
      (void)!::write(answer_[1], &byte, 1);
      pause();
      _exit(0);
    }
    // A reader gone is told by the end of its answers.
    close(ask_[0]);
    close(answer_[1]);
    ask_[0] = answer_[1] = -1;
  }
  ~Reader() {
    for (const int end : {ask_[0], ask_[1], answer_[0], answer_[1]}) {
      if (end >= 0) close(end);
    }
    if (process_ > 0) {
      kill(process_, SIGKILL);
      waitpid(process_, nullptr, 0);
    }
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool read(const std::string& store) {
    char byte = 'n';
    return process_ > 0 &&
           write(ask_[1], store.c_str(), store.size()) == static_cast<ssize_t>(store.size()) &&
           ::read(answer_[0], &byte, 1) == 1 && byte == 'y';
  }

 private:
  pid_t process_ = -1;
  int ask_[2] = {-1, -1};
  int answer_[2] = {-1, -1};
};

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

int cycles(const std::string& store, int count, int beside, int locks) {
  const pid_t holder = holdLocks(store + ".locks", locks);
  // What a first open pays once a process is paid before, whatever stays open beside.
  if (openAnother(store + ".first") == nullptr) return 1;
  std::vector<std::unique_ptr<data::Container>> others;
  for (int i = 0; i < beside; ++i) {
    others.push_back(openAnother(store + ".beside" + std::to_string(i)));
    if (others.back() == nullptr) return 1;
  }
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = cpuSeconds();
  for (int i = 0; i < count; ++i) {
    auto container = openTheStore(store);
    if (container == nullptr) return 1;
    closeTheStore(container);
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = cpuSeconds() - cpuStart;
  const double rawStart = cpuSeconds();
  for (int i = 0; i < count; ++i) closeRawPeer(openRawPeer(store.c_str()));
  const double raw = cpuSeconds() - rawStart;
  std::printf("cycle_wall_us=%.1f cycle_cpu_us=%.1f raw_cycle_cpu_us=%.1f\n", wall / count * 1e6,
              cpu / count * 1e6, raw / count * 1e6);
  if (holder > 0) {
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
  }
  return 0;
}

__attribute__((noinline)) void saveTheCards(data::Context& context,
                                            const std::shared_ptr<Shelf>& shelf, int count) {
  for (int i = 0; i < count; ++i) {
    Card::make({.id = UUID::random(),
                .type = CardType::text,
                .title = "Beside a reader " + std::to_string(i),
                .payload = "A card kept while another program reads",
                .createdAt = Date(800'000'000),
                .shelf = shelf});
    context.save();
  }
}

__attribute__((noinline)) bool rawCommits(sqlite3* connection, int count) {
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* commit = nullptr;
  bool done = sqlite3_prepare_v2(connection, "BEGIN IMMEDIATE", -1, &begin, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(connection, "INSERT INTO peer VALUES (?)", -1, &insert, nullptr) ==
                  SQLITE_OK &&
              sqlite3_prepare_v2(connection, "COMMIT", -1, &commit, nullptr) == SQLITE_OK;
  for (int i = 0; done && i < count; ++i) {
    const std::string text = "Beside a reader " + std::to_string(i);
    sqlite3_bind_text(insert, 1, text.c_str(), -1, SQLITE_TRANSIENT);
    done = sqlite3_step(begin) == SQLITE_DONE && sqlite3_step(insert) == SQLITE_DONE &&
           sqlite3_step(commit) == SQLITE_DONE;
    sqlite3_reset(begin);
    sqlite3_reset(insert);
    sqlite3_reset(commit);
  }
  sqlite3_finalize(begin);
  sqlite3_finalize(insert);
  sqlite3_finalize(commit);
  return done;
}

int besideAReader(const std::string& store, int count, const std::string& copy) {
  auto reader = std::make_unique<Reader>();
  auto copyReader = std::make_unique<Reader>();
  auto container = load(store);
  if (container == nullptr) return 1;
  data::Context& context = container->viewContext();
  KelvoPersistence::configure(context);
  const auto shelves = context.fetch(Shelf::fetchRequest());
  if (shelves.empty()) return 1;
  // The reader reads what the log holds then: a checkpoint copies that much, and no more.
  saveTheCards(context, shelves.front(), 1);
  if (!reader->read(store)) return 1;
  const double start = cpuSeconds();
  saveTheCards(context, shelves.front(), count);
  const double saves = cpuSeconds() - start;
  reader.reset();
  closeTheStore(container);

  // SQLite alone, as the store sets it: the log, and every commit synced.
  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(copy.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(connection,
                   "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; CREATE TABLE IF NOT "
                   "EXISTS peer(x);",
                   nullptr, nullptr, nullptr) != SQLITE_OK ||
      !rawCommits(connection, 1) || !copyReader->read(copy)) {
    sqlite3_close(connection);
    return 1;
  }
  const double rawStart = cpuSeconds();
  const bool committed = rawCommits(connection, count);
  const double raw = cpuSeconds() - rawStart;
  copyReader.reset();
  sqlite3_close(connection);
  std::printf("saves_cpu_s=%.3f raw_commits_cpu_s=%.3f\n", saves, raw);
  return committed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc == 4 && std::string(argv[2]) == "one-more") return oneMore(argv[1], argv[3]);
  if (argc == 5 && std::string(argv[2]) == "beside-reader") {
    return besideAReader(argv[1], std::stoi(argv[3]), argv[4]);
  }
  if (argc == 6 && std::string(argv[2]) == "cycles") {
    return cycles(argv[1], std::stoi(argv[3]), std::stoi(argv[4]), std::stoi(argv[5]));
  }
  data::Container container("Kelvo", KelvoModel::shared());
  container.setStoreDescriptions({KelvoPersistence::description(argv[1])});
  bool opened = true;
  container.loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    opened = error == nullptr;
  });
  if (!opened) return 1;
  data::Context& context = container.viewContext();
  KelvoPersistence::configure(context);
  const auto shelves = context.fetch(Shelf::fetchRequest());
  if (shelves.empty()) {
    const Date now(800'000'000);
    const auto unsorted = Shelf::make(Shelf::defaultShelfID(), "Unsorted", 0, now, true, nullptr);
    context.insert(unsorted);
    for (int i = 0; i < 100; ++i) {
      Card::make({.id = UUID::random(),
                  .type = CardType::text,
                  .title = "Card " + std::to_string(i),
                  .payload = "The text of card " + std::to_string(i),
                  .createdAt = now,
                  .shelf = unsorted});
    }
    context.save();
    return 0;
  }
  std::size_t onShelves = 0;
  for (const auto& card : context.fetch(Card::fetchRequest())) {
    if (card->shelf() != nullptr) ++onShelves;
  }
  std::printf("cards_on_shelves=%zu\n", onShelves);
  return onShelves == 100 ? 0 : 1;
}
