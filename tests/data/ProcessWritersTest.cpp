// Several processes write one store at once, linking their notes into each other's folders while
// the folders' owners delete them, and now and then one is killed and started again. Every save
// that returned reads back, a killed save is whole or absent, and no process crashes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using Object = std::shared_ptr<ManagedObject>;
using Clock = std::chrono::steady_clock;

constexpr int childCount = 4;
constexpr auto runTime = std::chrono::seconds(5);
// However the children behave, the test ends within 30 seconds.
constexpr auto waitForExit = std::chrono::seconds(10);

// A child's report, one line each: "B" before a save, then the state the save gives each of the
// child's own rows it changed ("N id title folder", "F id name parent", with "-" for no link;
// "n id" and "f id" for a delete), then "C" once the save returned, or "A" when it was refused
// as a conflict and rolled back. "E message" ends a child that failed.
struct Record {
  char kind;  // 'N', 'F', 'n' or 'f'
  std::string id, text, link;
};

// What the file must hold of one child's rows: by identifier, the text and the link last saved
// (a link to a folder that is gone reads as none), or nothing for a deleted row.
using Owned = std::map<std::string, std::optional<Record>>;

std::string idOf(const ManagedObject& object) { return object.value("id")->uuid()->uuidString(); }
std::string textOf(const ManagedObject& object) {
  return *object.value(object.entity().name() == "Note" ? "title" : "name")->string();
}
std::string linkOf(const ManagedObject& object) {
  const auto target = object.value(object.entity().name() == "Note" ? "folder" : "parent");
  return target ? idOf(*target->object()) : "-";
}

// Writes all of `lines` to the parent; a child that cannot report has nothing left to do.
void report(int out, const std::string& lines) {
  for (std::size_t done = 0; done < lines.size();) {
    const ssize_t written = ::write(out, lines.data() + done, lines.size() - done);
    if (written <= 0) _exit(5);
    done += static_cast<std::size_t>(written);
  }
}

// One child process: makes, edits, moves and deletes its own notes and folders (named with its
// prefix), links them to any folder, and saves, until told to stop.
class ChildWriter {
 public:
  ChildWriter(const std::filesystem::path& url, int index, unsigned seed, int out)
      : prefix_("c" + std::to_string(index) + "-"), random_(seed), out_(out) {
    container_ = testing::openContainer(url);
  }

  void run(const std::atomic<bool>& stop) {
    learnOwnRows();
    while (!stop.load()) {
      switch (pick(10)) {
        case 0:
        case 1:
          makeNote();
          break;
        case 2:
          edit(ownNotes());
          break;
        case 3:
        case 4:
          move(ownNotes());
          break;
        case 5:
          remove(ownNotes());
          break;
        case 6:
          pick(2) == 0 ? makeFolder() : edit(ownFolders());
          break;
        case 7:
          pick(2) == 0 ? remove(ownFolders()) : move(ownFolders());
          break;
        case 8:
          readEverything();
          break;
        default:
          save();
          break;
      }
    }
  }

 private:
  void report(const std::string& lines) const { data::report(out_, lines); }

  Context& context() { return container_->viewContext(); }
  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  bool isOwn(const ManagedObject& object) const { return textOf(object).starts_with(prefix_); }

  void learnOwnRows() {
    for (const char* entity : {"Note", "Folder"}) {
      for (const auto& object : context().fetch(entity)) {
        if (isOwn(*object)) own_[idOf(*object)] = object;
      }
    }
  }
  std::vector<Object> owned(bool folders) const {
    std::vector<Object> objects;
    for (const auto& [id, object] : own_) {
      if ((object->entity().name() == "Folder") == folders) objects.push_back(object);
    }
    return objects;
  }
  std::vector<Object> ownNotes() const { return owned(false); }
  std::vector<Object> ownFolders() const { return owned(true); }
  // Any folder in the file, its owner's or another's, or none.
  Object anyFolder() {
    const auto folders = context().fetch("Folder");
    const std::size_t choice = pick(folders.size() + 1);
    return choice == folders.size() ? nullptr : folders[choice];
  }

  void makeNote() {
    auto note = testing::makeNote(context(), prefix_ + std::to_string(++texts_));
    if (auto folder = anyFolder()) note->setValue("folder", folder);
    own_[idOf(*note)] = note;
    changed_.insert(idOf(*note));
  }
  void makeFolder() {
    auto folder = testing::makeFolder(context(), prefix_ + "f" + std::to_string(++texts_));
    if (auto parent = anyFolder(); parent != folder) folder->setValue("parent", parent);
    own_[idOf(*folder)] = folder;
    changed_.insert(idOf(*folder));
  }
  void edit(const std::vector<Object>& objects) {
    if (objects.empty()) return;
    const auto& object = objects[pick(objects.size())];
    const bool isNote = object->entity().name() == "Note";
    object->setValue(isNote ? "title" : "name",
                     prefix_ + (isNote ? "" : "f") + std::to_string(++texts_));
    changed_.insert(idOf(*object));
  }
  void move(const std::vector<Object>& objects) {
    if (objects.empty()) return;
    const auto& object = objects[pick(objects.size())];
    const auto target = anyFolder();
    if (target == object) return;
    object->setValue(object->entity().name() == "Note" ? "folder" : "parent", target);
    changed_.insert(idOf(*object));
  }
  void remove(const std::vector<Object>& objects) {
    if (objects.empty()) return;
    const auto object = objects[pick(objects.size())];
    const std::string id = idOf(*object);
    const bool wasInserted = object->isInserted();
    context().deleteObject(*object);
    own_.erase(id);
    changed_.erase(id);
    if (!wasInserted) deleted_.emplace(id, object->entity().name() == "Note" ? 'n' : 'f');
  }

  // What a host shows: every row, each link, and each folder's notes, none of them a let-go
  // object.
  void readEverything() {
    for (const auto& note : context().fetch("Note")) requireLive(note->value("folder"));
    for (const auto& folder : context().fetch("Folder")) {
      requireLive(folder->value("parent"));
      const auto notes = folder->value("notes");
      for (const auto& member : *notes->objectSet()) {
        if (member->value("folder")->object() != folder) fail("a folder's note links elsewhere");
      }
    }
  }
  void requireLive(const std::optional<Value>& link) {
    if (!link) return;
    const auto target = link->object();
    if (target->context() != &context() || target->isDeleted()) {
      fail("an object links to one its context let go or deleted");
    }
  }
  [[noreturn]] void fail(const std::string& message) {
    report("E " + message + "\n");
    _exit(4);
  }

  void save() {
    std::string lines = "B\n";
    for (const std::string& id : changed_) {
      const auto& object = own_.at(id);
      lines += (object->entity().name() == "Note" ? "N " : "F ") + id + " " + textOf(*object) +
               " " + linkOf(*object) + "\n";
    }
    for (const auto& [id, kind] : deleted_) lines += std::string(1, kind) + " " + id + "\n";
    report(lines);
    try {
      context().save();
      report("C\n");
    } catch (const StoreError& error) {
      if (error.kind() != StoreError::Kind::conflict) fail(error.what());
      report("A\n");
      context().rollback();
      own_.clear();
      learnOwnRows();
    }
    changed_.clear();
    deleted_.clear();
    readEverything();
  }

  std::string prefix_;
  std::mt19937 random_;
  int out_;
  std::unique_ptr<Container> container_;
  std::map<std::string, Object> own_;
  std::set<std::string> changed_;
  std::map<std::string, char> deleted_;
  int texts_ = 0;
};

// The parent's view of one child: its process, its report, and what it committed.
struct Child {
  pid_t pid = -1;
  int in = -1;
  int starts = 0;
  std::string pending;  // a line not yet whole
  std::vector<Record> batch;
  bool inBatch = false;
  Owned owned;
  int commits = 0;
  int conflicts = 0;
  int killedInSave = 0;  // killed between reporting a save and its end
};

// The file's rows, read in one transaction, by identifier: text and link.
using Rows = std::map<std::string, std::pair<std::string, std::string>>;

Rows readRows(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  database.execute("BEGIN");
  Rows rows;
  for (const char* sql :
       {"SELECT f.id, f.name, p.id FROM Folder f LEFT JOIN Folder p ON f.parent = p._pk",
        "SELECT n.id, n.title, f.id FROM Note n LEFT JOIN Folder f ON n.folder = f._pk"}) {
    auto select = database.prepare(sql);
    while (select.step()) {
      const auto blobText = [&](int column) -> std::string {
        const auto bytes = select.columnBlob(column);
        if (bytes.size() != 16) return "-";
        UUID::Bytes raw;
        std::copy(bytes.begin(), bytes.end(), raw.begin());
        return UUID(raw).uuidString();
      };
      rows[blobText(0)] = {std::string(select.columnText(1)), blobText(2)};
    }
  }
  database.execute("COMMIT");
  return rows;
}

// Whether the file holds `expected` for `id`: a link to a folder that is gone reads as none.
bool holds(const Rows& rows, const std::string& id, const std::optional<Record>& expected) {
  const auto row = rows.find(id);
  if (!expected) return row == rows.end();
  if (row == rows.end() || row->second.first != expected->text) return false;
  const bool linkKept = expected->link != "-" && rows.contains(expected->link);
  return row->second.second == (linkKept ? expected->link : "-");
}

std::optional<Record> after(const Record& record) {
  if (record.kind == 'n' || record.kind == 'f') return std::nullopt;
  return record;
}

class ProcessWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stop_ = static_cast<std::atomic<bool>*>(mmap(nullptr, sizeof(std::atomic<bool>),
                                                 PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                                                 -1, 0));
    ASSERT_NE(stop_, MAP_FAILED);
    new (stop_) std::atomic<bool>(false);
    auto container = testing::openContainer(url_);
    for (const char* name : {"shared-a", "shared-b", "shared-c"}) {
      testing::makeFolder(container->viewContext(), name);
    }
    container->viewContext().save();
  }
  void TearDown() override {
    for (Child& child : children_) {
      if (child.pid > 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, nullptr, 0);
      }
      if (child.in >= 0) close(child.in);
    }
    munmap(stop_, sizeof(std::atomic<bool>));
  }

  void start(int index) {
    Child& child = children_[index];
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const unsigned seed =
        1000u * static_cast<unsigned>(child.starts++) + static_cast<unsigned>(index);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(ends[0]);
      try {
        ChildWriter(url_, index, seed, ends[1]).run(*stop_);
      } catch (const std::exception& error) {
        report(ends[1], std::string("E ") + error.what() + "\n");
        _exit(3);
      }
      _exit(0);
    }
    close(ends[1]);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    child.pid = pid;
    child.in = ends[0];
  }

  // Reads what the children have reported so far; with `wait`, up to that long for more.
  void readReports(int waitMilliseconds) {
    std::vector<pollfd> fds;
    for (const Child& child : children_) fds.push_back({child.in, POLLIN, 0});
    poll(fds.data(), fds.size(), waitMilliseconds);
    for (Child& child : children_) drain(child);
  }

  void drain(Child& child) {
    char buffer[4096];
    ssize_t got;
    while ((got = read(child.in, buffer, sizeof buffer)) > 0) {
      child.pending.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t end;
    while ((end = child.pending.find('\n')) != std::string::npos) {
      const std::string line = child.pending.substr(0, end);
      child.pending.erase(0, end + 1);
      take(child, line);
    }
  }

  void take(Child& child, const std::string& line) {
    std::istringstream words(line);
    Record record;
    words >> record.kind;
    if (record.kind == 'E') {
      ADD_FAILURE() << "a child failed: " << line.substr(2);
    } else if (record.kind == 'B') {
      child.batch.clear();
      child.inBatch = true;
    } else if (record.kind == 'C') {
      for (const Record& each : child.batch) child.owned[each.id] = after(each);
      child.inBatch = false;
      ++child.commits;
    } else if (record.kind == 'A') {
      child.inBatch = false;
      ++child.conflicts;
    } else {
      words >> record.id >> record.text >> record.link;
      child.batch.push_back(record);
    }
  }

  // The file holds what the child committed; a save it was killed in is there whole or not at
  // all, and is taken as committed when it is.
  void checkChild(Child& child, const Rows& rows, int index) {
    SCOPED_TRACE(::testing::Message() << "child " << index);
    if (child.inBatch) {
      bool all = true, none = true;
      for (const Record& record : child.batch) {
        const auto before = child.owned.find(record.id);
        all = all && holds(rows, record.id, after(record));
        none = none &&
               holds(rows, record.id, before == child.owned.end() ? std::nullopt : before->second);
      }
      EXPECT_TRUE(all || none) << "a save killed midway was written in part";
      ++child.killedInSave;
      if (all) {
        for (const Record& record : child.batch) child.owned[record.id] = after(record);
      }
      child.inBatch = false;
    }
    for (const auto& [id, expected] : child.owned) {
      EXPECT_TRUE(holds(rows, id, expected)) << "a saved row reads otherwise: " << id;
    }
    // Nothing of the child's is in the file that no save of it wrote.
    const std::string prefix = "c" + std::to_string(index) + "-";
    for (const auto& [id, row] : rows) {
      if (row.first.starts_with(prefix)) {
        EXPECT_TRUE(child.owned.contains(id) && child.owned.at(id)) << "an unsaved row: " << id;
      }
    }
  }

  void killAndRestart(int index) {
    Child& child = children_[index];
    kill(child.pid, SIGKILL);
    int status = 0;
    waitpid(child.pid, &status, 0);
    child.pid = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "child " << index << " ended by itself before it was killed, status " << status;
    drain(child);
    close(child.in);
    child.in = -1;
    ASSERT_NO_FATAL_FAILURE(testing::expectIntact(url_));
    checkChild(child, readRows(url_), index);
    start(index);
  }

  // No child ended by itself.
  void expectAllRunning() {
    for (int i = 0; i < childCount; ++i) {
      int status = 0;
      if (waitpid(children_[i].pid, &status, WNOHANG) == children_[i].pid) {
        children_[i].pid = -1;
        drain(children_[i]);
        FAIL() << "child " << i << " ended by itself, status " << status;
      }
    }
  }

  kelvo::testing::TemporaryDirectory directory_;
  std::filesystem::path url_ = directory_.path() / "Shared.store";
  std::atomic<bool>* stop_ = nullptr;
  Child children_[childCount];
};

TEST_F(ProcessWritersTest, SavesThatReturnedReadBackAndKilledOnesAreWholeOrAbsent) {
  for (int i = 0; i < childCount; ++i) ASSERT_NO_FATAL_FAILURE(start(i));
  std::mt19937 random(std::random_device{}());
  const auto pause = [&] {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(20, 250)(random));
  };
  int kills = 0;
  auto nextKill = Clock::now() + pause();
  for (const auto end = Clock::now() + runTime; Clock::now() < end;) {
    readReports(10);
    ASSERT_NO_FATAL_FAILURE(expectAllRunning());
    if (Clock::now() < nextKill) continue;
    const int victim = std::uniform_int_distribution<int>(0, childCount - 1)(random);
    ASSERT_NO_FATAL_FAILURE(killAndRestart(victim));
    ++kills;
    nextKill = Clock::now() + pause();
  }

  stop_->store(true);
  for (const auto end = Clock::now() + waitForExit; Clock::now() < end;) {
    readReports(20);
    bool running = false;
    for (int i = 0; i < childCount; ++i) {
      Child& child = children_[i];
      int status = 0;
      if (child.pid > 0 && waitpid(child.pid, &status, WNOHANG) == child.pid) {
        child.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "child " << i << " ended with status " << status;
      }
      running = running || child.pid > 0;
    }
    if (!running) break;
  }
  for (const Child& child : children_) ASSERT_EQ(child.pid, -1) << "a child did not stop";
  readReports(0);
  ASSERT_NO_FATAL_FAILURE(testing::expectIntact(url_));
  const Rows rows = readRows(url_);
  int commits = 0, conflicts = 0, killedInSave = 0;
  for (int i = 0; i < childCount; ++i) {
    EXPECT_FALSE(children_[i].inBatch);
    checkChild(children_[i], rows, i);
    commits += children_[i].commits;
    conflicts += children_[i].conflicts;
    killedInSave += children_[i].killedInSave;
  }
  // The run did what it is for: many saves, kills among them, and links to gone folders.
  RecordProperty("commits", commits);
  RecordProperty("conflicts", conflicts);
  RecordProperty("kills", kills);
  RecordProperty("killedInSave", killedInSave);
  EXPECT_GT(commits, 100);
  EXPECT_GT(kills, 5);
}

}  // namespace
}  // namespace kelvo::data
