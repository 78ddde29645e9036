#pragma once

// Several writers on one store file (containers of their own, and contexts sharing a container's
// coordinator) make, edit, link, move and delete notes and folders, driven by a stream of
// choices, while a model keeps what the file must hold:
//
// - a save writes, per updated object, only the columns that differ from what its context read
//   or last saved; a link its context lost only because it deleted the target is not written;
// - a delete empties, when the save commits, every link in the file to the deleted row;
// - a save is refused as a conflict, writing nothing, exactly when it updates a row another
//   writer deleted or writes a link to such a row; a delete of a row already gone is no error.
//
// After every operation the acting writer's objects must be as the model says, and no object any
// writer holds may link to an object its context let go; after every save the file, and a fresh
// container over it, must hold what the model says, and no row key may have named two rows.
// The seeded random test draws the choices and the fuzz target reads them from its input, so this
// header uses no test framework: a failed check ends the run with a description.
//
//     WritersOnOneFile writers(url, {WriterKind::container, WriterKind::container});
//     for (int i = 0; i < 500 && writers.step(choose); ++i) {}
//     if (!writers.ok()) report(writers.failure(), writers.trace());

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/data/Container.hpp"
#include "platform/data/Context.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/internal/Database.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data::testing {

// Objects are numbered as they are made, and the number is their identifier, so that a run
// chooses the same objects whatever the store does with its keys.
using Serial = std::uint32_t;

inline UUID identifierOf(Serial serial) {
  UUID::Bytes bytes{};
  bytes[0] = 0x5E;
  for (int i = 0; i < 4; ++i) bytes[15 - i] = static_cast<std::uint8_t>(serial >> (8 * i));
  return UUID(bytes);
}

inline std::optional<Serial> serialOf(const UUID& id) {
  const auto& bytes = id.bytes();
  if (bytes[0] != 0x5E) return std::nullopt;
  Serial serial = 0;
  for (int i = 12; i < 16; ++i) serial = (serial << 8) | bytes[i];
  return serial;
}

// What a row holds that the writers change: a note's title and folder, or a folder's name and
// parent (0 for none).
struct Row {
  std::string text;
  Serial link = 0;
  friend bool operator==(const Row&, const Row&) = default;
};

struct FileState {
  std::map<Serial, Row> notes, folders;
  friend bool operator==(const FileState&, const FileState&) = default;

  bool holds(Serial serial) const { return notes.contains(serial) || folders.contains(serial); }
};

// The first few differences, for a failure message.
inline std::string differences(const FileState& expected, const FileState& actual) {
  std::string text;
  int shown = 0;
  const auto compare = [&](const char* kind, const std::map<Serial, Row>& want,
                           const std::map<Serial, Row>& have) {
    std::set<Serial> serials;
    for (const auto& entry : want) serials.insert(entry.first);
    for (const auto& entry : have) serials.insert(entry.first);
    const auto show = [](const std::map<Serial, Row>& rows, Serial serial) -> std::string {
      const auto found = rows.find(serial);
      if (found == rows.end()) return "no row";
      return "'" + found->second.text + "' -> " + std::to_string(found->second.link);
    };
    for (Serial serial : serials) {
      const auto a = want.find(serial);
      const auto b = have.find(serial);
      if (a != want.end() && b != have.end() && a->second == b->second) continue;
      if (++shown > 6) return;
      text += std::string(" ") + kind + " " + std::to_string(serial) + ": expected " +
              show(want, serial) + ", found " + show(have, serial) + ";";
    }
  };
  compare("note", expected.notes, actual.notes);
  compare("folder", expected.folders, actual.folders);
  return text;
}

class WritersOnOneFile {
 public:
  // A container of its own (as another process has), or a second context over the coordinator
  // of the writer before it.
  enum class WriterKind { container, contextOverPrevious };
  // One of `count` options, counted from 0; `count` is at least 1.
  using Choose = std::function<std::size_t(std::size_t count)>;

  struct Counts {
    int steps = 0, saves = 0, refused = 0, rollbacks = 0, reopens = 0, deletes = 0;
  };

  WritersOnOneFile(std::filesystem::path url, const std::vector<WriterKind>& kinds)
      : url_(std::move(url)) {
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      auto& writer = writers_.emplace_back();
      writer.name = std::string(1, static_cast<char>('A' + i));
      writer.ownsContainer = i == 0 || kinds[i] == WriterKind::container;
    }
    guard([&] {
      for (std::size_t i = 0; i < writers_.size(); ++i) open(i);
    });
  }

  bool ok() const { return failure_.empty(); }
  const std::string& failure() const { return failure_; }
  const Counts& counts() const { return counts_; }
  // The operations so far, one a line; the last `count` of them.
  std::string trace(std::size_t count = SIZE_MAX) const {
    std::string text;
    const std::size_t from = log_.size() > count ? log_.size() - count : 0;
    for (std::size_t i = from; i < log_.size(); ++i) text += log_[i] + "\n";
    return text;
  }
  // Every operation is also written to `sink` as it is made, to decode an input that crashes.
  void traceTo(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

  // One operation by one writer; false once a check has failed.
  bool step(const Choose& choose) {
    if (!ok()) return false;
    ++counts_.steps;
    const std::size_t w = choose(writers_.size());
    std::size_t pick = choose(totalWeight);
    std::size_t op = 0;
    while (pick >= weights[op]) pick -= weights[op++];
    guard([&] { perform(w, static_cast<Op>(op), choose); });
    return ok();
  }

  // The operations and how often each is chosen; a fuzz input names one by a byte below
  // `totalWeight`.
  enum class Op {
    insertNote,
    insertFolder,
    editNote,
    editFolder,
    moveNote,
    nestFolder,
    deleteNote,
    deleteFolder,
    readFolder,
    readNote,
    save,
    rollback,
    reopen,
  };
  static constexpr std::size_t weights[] = {5, 3, 3, 2, 5, 2, 2, 3, 2, 1, 5, 1, 1};
  static constexpr std::size_t totalWeight = 35;
  static_assert(std::accumulate(std::begin(weights), std::end(weights), std::size_t{0}) ==
                totalWeight);

 private:
  using Access = data_internal::ManagedObjectAccess;
  using Object = std::shared_ptr<ManagedObject>;

  struct Held {
    std::weak_ptr<ManagedObject> object;
    bool isFolder = false;
    Row stored;  // as this context read or last saved it
    Row now;     // as it is in memory
    bool inserted = false;
    bool deleted = false;
    // The link went only because this context deleted its target, which is not written.
    bool lostLinkToDelete = false;
  };
  struct Writer {
    std::string name;
    bool ownsContainer = true;
    std::unique_ptr<Container> container;
    std::unique_ptr<Context> ownContext;
    Context* context = nullptr;
    std::map<Serial, Held> held;
    std::unordered_map<const ManagedObject*, Serial> seen;
  };
  struct Cause {
    Serial object;
    Serial gone;  // the row another writer deleted: the object's own, or its link's target
    bool isLink;
  };

  static const char* textKey(bool isFolder) { return isFolder ? "name" : "title"; }
  static const char* linkKey(bool isFolder) { return isFolder ? "parent" : "folder"; }
  static const char* setKey(bool isFolder) { return isFolder ? "children" : "notes"; }
  static const EntityDescription& entity(bool isFolder) {
    return *testModel()->entity(isFolder ? "Folder" : "Note");
  }
  static std::uint32_t relationship(bool isFolder, const char* key) {
    return entity(isFolder).propertyIndex(key)->index;
  }
  static std::uint32_t attribute(bool isFolder) {
    return entity(isFolder).propertyIndex(textKey(isFolder))->index;
  }

  void fail(const std::string& what) {
    if (failure_.empty()) failure_ = "after operation " + std::to_string(log_.size()) + ": " + what;
  }
  void note(std::string line) {
    if (sink_) sink_(line);
    log_.push_back(std::move(line));
  }
  template <class Body>
  void guard(const Body& body) {
    try {
      body();
    } catch (const StoreError& error) {
      fail(std::string("unexpected store error: ") + error.what());
    }
  }

  void open(std::size_t w) {
    Writer& writer = writers_[w];
    if (writer.ownsContainer) {
      writer.container = openContainer(url_);
      writer.context = &writer.container->viewContext();
    } else {
      writer.ownContext = std::make_unique<Context>(writers_[w - 1].context->coordinator());
      writer.context = writer.ownContext.get();
    }
    discover(writer);
  }

  void perform(std::size_t w, Op op, const Choose& choose) {
    Writer& writer = writers_[w];
    switch (op) {
      case Op::insertNote:
      case Op::insertFolder:
        insert(writer, op == Op::insertFolder, choose);
        break;
      case Op::editNote:
      case Op::editFolder:
        if (auto serial = pickHeld(writer, op == Op::editFolder, choose)) edit(writer, *serial);
        break;
      case Op::moveNote:
      case Op::nestFolder:
        if (auto serial = pickHeld(writer, op == Op::nestFolder, choose))
          move(writer, *serial, choose);
        break;
      case Op::deleteNote:
      case Op::deleteFolder:
        if (auto serial = pickHeld(writer, op == Op::deleteFolder, choose)) remove(writer, *serial);
        break;
      case Op::readFolder:
        if (auto serial = pickHeld(writer, true, choose)) {
          note(writer.name + " reads folder " + std::to_string(*serial) + "'s notes and children");
          const Object folder = writer.held[*serial].object.lock();
          (void)folder->value("notes");
          (void)folder->value("children");
        }
        break;
      case Op::readNote:
        if (auto serial = pickHeld(writer, false, choose)) {
          note(writer.name + " reads note " + std::to_string(*serial) + "'s folder");
          (void)writer.held[*serial].object.lock()->value("folder");
        }
        break;
      case Op::save:
        save(writer, choose, 0);
        return;
      case Op::rollback:
        rollback(writer);
        return;
      case Op::reopen:
        if (writer.ownsContainer) reopen(w);
        return;
    }
    afterOperation(writer);
  }

  void afterOperation(Writer& writer) {
    if (ok()) discover(writer);
    if (ok()) checkLinks(writer);
    if (ok()) checkMemory(writer);
  }

  // A live object of the writer (inserted, stored, or stored in a row another writer deleted).
  std::optional<Serial> pickHeld(Writer& writer, bool isFolder, const Choose& choose,
                                 Serial except = 0) {
    std::vector<Serial> candidates;
    for (const auto& [serial, held] : writer.held) {
      if (held.isFolder == isFolder && !held.deleted && serial != except &&
          !held.object.expired()) {
        candidates.push_back(serial);
      }
    }
    if (candidates.empty()) return std::nullopt;
    return candidates[choose(candidates.size())];
  }

  std::string nextText(bool isFolder) { return (isFolder ? "f" : "t") + std::to_string(++texts_); }

  void insert(Writer& writer, bool isFolder, const Choose& choose) {
    const Serial serial = ++serials_;
    const Serial target = choose(3) == 0 ? pickHeld(writer, true, choose).value_or(0) : 0;
    auto object = ManagedObject::make(entity(isFolder), writer.context);
    Held& held = writer.held[serial];
    held.object = object;
    held.isFolder = isFolder;
    held.inserted = true;
    held.now.text = nextText(isFolder);
    writer.seen[object.get()] = serial;
    note(writer.name + " inserts " + (isFolder ? "folder " : "note ") + std::to_string(serial) +
         " into " + std::to_string(target));
    object->setValue("id", identifierOf(serial));
    object->setValue(textKey(isFolder), held.now.text);
    if (target != 0) link(writer, serial, target, choose);
  }

  void edit(Writer& writer, Serial serial) {
    Held& held = writer.held[serial];
    held.now.text = nextText(held.isFolder);
    note(writer.name + " renames " + std::to_string(serial) + " to " + held.now.text);
    held.object.lock()->setValue(textKey(held.isFolder), held.now.text);
  }

  void move(Writer& writer, Serial serial, const Choose& choose) {
    const bool isFolder = writer.held[serial].isFolder;
    const Serial target = choose(4) == 0 ? 0 : pickHeld(writer, true, choose, serial).value_or(0);
    note(writer.name + " moves " + std::to_string(serial) + " to " + std::to_string(target));
    if (target == 0) {
      writer.held[serial].object.lock()->setValue(linkKey(isFolder), std::nullopt);
      setLink(writer.held[serial], 0);
    } else {
      link(writer, serial, target, choose);
    }
  }

  // Through the to-one end or through the target's set, as a host may do either.
  void link(Writer& writer, Serial serial, Serial target, const Choose& choose) {
    Held& held = writer.held[serial];
    const Object object = held.object.lock();
    const Object folder = writer.held[target].object.lock();
    if (choose(2) == 0) {
      object->setValue(linkKey(held.isFolder), Value(folder));
    } else {
      folder->mutableSetValue(setKey(held.isFolder)).add(*object);
    }
    setLink(held, target);
  }

  static void setLink(Held& held, Serial target) {
    if (held.now.link == target) return;
    held.now.link = target;
    held.lostLinkToDelete = false;
  }

  void remove(Writer& writer, Serial serial) {
    ++counts_.deletes;
    note(writer.name + " deletes " + std::to_string(serial));
    writer.context->deleteObject(*writer.held[serial].object.lock());
    for (auto& [other, held] : writer.held) {
      if (held.deleted || held.now.link != serial) continue;
      held.now.link = 0;
      held.lostLinkToDelete = !held.inserted && held.stored.link == serial;
    }
    if (writer.held[serial].inserted) {
      writer.held.erase(serial);
    } else {
      writer.held[serial].deleted = true;
    }
  }

  bool textChanged(const Held& held) const { return held.now.text != held.stored.text; }
  bool linkChanged(const Held& held) const {
    return held.now.link != held.stored.link && !held.lostLinkToDelete;
  }
  bool isGone(const Writer& writer, Serial serial) const {
    const auto found = writer.held.find(serial);
    return !file_.holds(serial) && !(found != writer.held.end() && found->second.inserted);
  }

  std::vector<Cause> conflicts(const Writer& writer) const {
    std::vector<Cause> causes;
    for (const auto& [serial, held] : writer.held) {
      if (held.deleted) continue;
      const bool changed = held.inserted || textChanged(held) || linkChanged(held);
      if (!held.inserted && changed && !file_.holds(serial))
        causes.push_back({serial, serial, false});
      const bool writesLink = held.inserted ? held.now.link != 0 : linkChanged(held);
      if (writesLink && held.now.link != 0 && isGone(writer, held.now.link)) {
        causes.push_back({serial, held.now.link, true});
      }
    }
    return causes;
  }

  void save(Writer& writer, const Choose& choose, int retry) {
    ++counts_.saves;
    const std::vector<Cause> causes = conflicts(writer);
    note(writer.name + " saves" + (causes.empty() ? "" : " (expecting a conflict)"));
    std::optional<StoreError> error;
    try {
      writer.context->save();
    } catch (const StoreError& thrown) {
      error = thrown;
    }
    if (!error) {
      if (!causes.empty()) {
        fail("a save went through that should have been refused: object " +
             std::to_string(causes.front().object) +
             (causes.front().isLink ? " links to " : " is ") + "row " +
             std::to_string(causes.front().gone) + ", which another writer deleted");
        return;
      }
      settle(writer);
      checkFile();
      for (Writer& each : writers_) {
        if (ok() && &each == &writer) discover(each);
        if (ok()) checkLinks(each);
        if (ok()) checkMemory(each);
      }
      return;
    }
    ++counts_.refused;
    if (error->kind() != StoreError::Kind::conflict) {
      fail(std::string("a save was refused, not as a conflict: ") + error->what());
      return;
    }
    if (causes.empty()) {
      fail(std::string("a save was refused with nothing to refuse: ") + error->what());
      return;
    }
    checkMessage(writer, causes, error->what());
    if (ok()) checkFile();
    if (ok()) checkMemory(writer);
    if (!ok()) return;
    if (retry < 3 && choose(2) == 0) {
      // What a host does to keep its other changes: give up the rows that are gone.
      for (const Cause& cause : causes) {
        const auto found = writer.held.find(cause.gone);
        if (found != writer.held.end() && !found->second.deleted) remove(writer, cause.gone);
      }
      afterOperation(writer);
      if (ok()) save(writer, choose, retry + 1);
    } else {
      rollback(writer);
    }
  }

  void checkMessage(const Writer& writer, const std::vector<Cause>& causes,
                    const std::string& got) {
    std::set<std::string> expected;
    for (const Cause& cause : causes) {
      if (!cause.isLink) return;
      expected.insert(writer.held.at(cause.object).isFolder
                          ? "Could not save: a Folder's parent is a Folder row that another "
                            "writer deleted."
                          : "Could not save: a Note's folder is a Folder row that another writer "
                            "deleted.");
    }
    if (!expected.contains(got)) fail("a refused link was explained as: " + got);
  }

  // The save committed: the model's file takes what it wrote, and the writer's objects are
  // stored as they are in memory.
  void settle(Writer& writer) {
    std::set<Serial> deleted;
    for (const auto& [serial, held] : writer.held) {
      auto& rows = held.isFolder ? file_.folders : file_.notes;
      if (held.deleted) {
        deleted.insert(serial);
        rows.erase(serial);
      } else if (held.inserted) {
        rows[serial] = held.now;
      } else if (rows.contains(serial)) {
        if (textChanged(held)) rows[serial].text = held.now.text;
        if (linkChanged(held)) rows[serial].link = held.now.link;
      }
    }
    for (auto* rows : {&file_.notes, &file_.folders}) {
      for (auto& [serial, row] : *rows) {
        if (deleted.contains(row.link)) row.link = 0;
      }
    }
    for (Serial serial : deleted) {
      const Object object = writer.held[serial].object.lock();
      if (object != nullptr && object->context() != nullptr) {
        fail("object " + std::to_string(serial) + " kept its context after its deletion was saved");
      }
      writer.held.erase(serial);
    }
    for (auto& [serial, held] : writer.held) {
      if (deleted.contains(held.now.link)) held.now.link = 0;
      held.stored = held.now;
      held.inserted = false;
      held.lostLinkToDelete = false;
    }
  }

  void rollback(Writer& writer) {
    ++counts_.rollbacks;
    note(writer.name + " rolls back");
    writer.context->rollback();
    std::erase_if(writer.held, [](const auto& entry) { return entry.second.inserted; });
    for (auto& [serial, held] : writer.held) {
      held.now = held.stored;
      held.deleted = false;
      held.lostLinkToDelete = false;
    }
    afterOperation(writer);
  }

  void reopen(std::size_t w) {
    ++counts_.reopens;
    Writer& writer = writers_[w];
    note(writer.name + " closes its container and opens it again");
    writer.context = nullptr;
    writer.container.reset();
    writer.held.clear();
    writer.seen.clear();
    open(w);
    if (ok()) checkLinks(writer);
  }

  // The serial of an object `writer` holds at `address`; a failure when it holds none there.
  std::optional<Serial> heldAt(Writer& writer, const ManagedObject* address,
                               const std::string& what) {
    const auto found = writer.seen.find(address);
    if (found != writer.seen.end()) {
      const auto held = writer.held.find(found->second);
      if (held != writer.held.end() && held->second.object.lock().get() == address) {
        return found->second;
      }
    }
    fail(writer.name + ": " + what + " is an object the context no longer holds");
    return std::nullopt;
  }

  std::optional<Row> observe(Writer& writer, Serial serial, const ManagedObject& object) {
    const bool isFolder = writer.held[serial].isFolder;
    Row row;
    if (const Value* text = object.attributeValue(textKey(isFolder)); text && text->string()) {
      row.text = *text->string();
    }
    const ManagedObject* target =
        Access::links(object)[relationship(isFolder, linkKey(isFolder))].target;
    if (target != nullptr) {
      const auto link = heldAt(writer, target, "the link of " + std::to_string(serial));
      if (!link) return std::nullopt;
      row.link = *link;
    }
    return row;
  }

  // Learns every object the writer's context holds: a fetch gives every stored and inserted
  // object it has not deleted, and an operation makes nothing else.
  void discover(Writer& writer) {
    std::vector<std::pair<Serial, Object>> fresh;
    for (bool isFolder : {false, true}) {
      for (const Object& object : writer.context->fetch(isFolder ? "Folder" : "Note")) {
        const auto id = object->value("id");
        const auto serial = id && id->uuid() ? serialOf(*id->uuid()) : std::nullopt;
        if (!serial) {
          fail(writer.name + " fetched an object with an identifier no writer gave");
          return;
        }
        const auto found = writer.held.find(*serial);
        if (found != writer.held.end()) {
          if (found->second.object.lock() != object) {
            fail(writer.name + " holds two objects for " + std::to_string(*serial));
            return;
          }
          continue;
        }
        Held& held = writer.held[*serial];
        held.object = object;
        held.isFolder = isFolder;
        writer.seen[object.get()] = *serial;
        fresh.emplace_back(*serial, object);
      }
    }
    for (const auto& [serial, object] : fresh) {
      Held& held = writer.held[serial];
      const auto now = observe(writer, serial, *object);
      if (!now) return;
      held.now = held.stored = *now;
      if (!Access::isChanged(*object)) continue;
      // Changed before it was seen: read along with a set of a folder this context deleted.
      const auto& snapshot = Access::snapshot(*object);
      for (const auto& [index, stored] : snapshot.attributes) {
        if (index == attribute(held.isFolder) && stored && stored->string()) {
          held.stored.text = *stored->string();
        }
      }
      const ManagedObject* target =
          snapshot.targets[relationship(held.isFolder, linkKey(held.isFolder))];
      held.stored.link = 0;
      if (target != nullptr) {
        const auto link = heldAt(writer, target, "the stored link of " + std::to_string(serial));
        if (!link) return;
        held.stored.link = *link;
      }
      held.lostLinkToDelete =
          held.now.link == 0 && held.stored.link != 0 && writer.held[held.stored.link].deleted;
    }
  }

  // No object links to one its context let go or deleted, and each member of a set links back.
  void checkLinks(Writer& writer) {
    for (const auto& [serial, held] : writer.held) {
      const Object object = held.object.lock();
      if (object == nullptr) continue;  // told by checkMemory
      const std::string name = std::to_string(serial);
      const auto usable = [&](const ManagedObject* target, const std::string& what) {
        if (!heldAt(writer, target, what)) return false;
        if (target->context() != writer.context || target->isDeleted()) {
          fail(writer.name + ": " + what + " is an object its context let go or deleted");
          return false;
        }
        return true;
      };
      const auto links = Access::links(*object);
      const std::uint32_t own = relationship(held.isFolder, linkKey(held.isFolder));
      if (const ManagedObject* target = links[own].target) {
        if (!usable(target, "the link of " + name)) return;
        // Read or not, the target's set knows it, so that deleting the target unlinks it.
        const auto& list =
            Access::links(*target)[relationship(true, setKey(held.isFolder))].members->list;
        if (std::find(list.begin(), list.end(), object.get()) == list.end()) {
          fail(writer.name + ": " + name + " is missing from the set of the object it links to");
          return;
        }
      }
      if (!held.isFolder) continue;
      for (bool ofFolders : {false, true}) {
        const auto* members = links[relationship(true, setKey(ofFolders))].members.get();
        for (const ManagedObject* member : members->list) {
          const std::string what = std::string("a member of ") + setKey(ofFolders) + " of " + name;
          if (!usable(member, what)) return;
          if (Access::links(*member)[relationship(ofFolders, linkKey(ofFolders))].target !=
              object.get()) {
            fail(writer.name + ": " + what + " does not link back to it");
            return;
          }
        }
      }
    }
  }

  // The writer's objects are as the model says.
  void checkMemory(Writer& writer) {
    for (const auto& [serial, held] : writer.held) {
      const Object object = held.object.lock();
      const std::string name = writer.name + "'s object " + std::to_string(serial);
      if (object == nullptr || object->context() != writer.context) {
        fail(name + " left its context");
        return;
      }
      if (object->isDeleted() != held.deleted || object->isInserted() != held.inserted) {
        fail(name + " is not inserted or deleted as the model says");
        return;
      }
      if (held.deleted) continue;
      const auto now = observe(writer, serial, *object);
      if (!now) return;
      if (*now != held.now) {
        fail(name + " holds '" + now->text + "' -> " + std::to_string(now->link) +
             " where the model says '" + held.now.text + "' -> " + std::to_string(held.now.link));
        return;
      }
    }
  }

  // The file, read over a connection of its own and by a fresh container, holds what the model
  // says, and no row key has named two rows.
  void checkFile() {
    FileState inFile;
    {
      data_internal::Database database(url_.string());
      std::map<std::int64_t, Serial> folderAt;
      std::vector<std::pair<Serial, std::int64_t>> links;
      for (bool isFolder : {true, false}) {
        const std::string sql = isFolder ? "SELECT _pk, id, name, parent FROM Folder"
                                         : "SELECT _pk, id, title, folder FROM Note";
        auto select = database.prepare(sql);
        while (select.step()) {
          const auto bytes = select.columnBlob(1);
          UUID::Bytes raw{};
          if (bytes.size() == raw.size()) std::copy(bytes.begin(), bytes.end(), raw.begin());
          const auto serial = serialOf(UUID(raw));
          if (!serial) return fail("the file holds a row with an identifier no writer gave");
          const std::int64_t key = select.columnInt64(0);
          const auto [given, isNew] = keys_[isFolder].emplace(key, *serial);
          if (given->second != *serial)
            return fail("key " + std::to_string(key) + " named two rows");
          (isFolder ? inFile.folders : inFile.notes)[*serial].text =
              std::string(select.columnText(2));
          if (isFolder) folderAt[key] = *serial;
          if (select.columnType(3) != data_internal::Statement::ColumnType::null) {
            links.emplace_back(*serial, select.columnInt64(3));
          }
        }
      }
      for (const auto& [serial, key] : links) {
        if (!folderAt.contains(key))
          return fail("row " + std::to_string(serial) + " links to no row");
        (inFile.notes.contains(serial) ? inFile.notes : inFile.folders)[serial].link =
            folderAt[key];
      }
    }
    if (inFile != file_)
      return fail("the file differs from the model:" + differences(file_, inFile));
    FileState readBack;
    auto fresh = openContainer(url_);
    for (bool isFolder : {false, true}) {
      for (const Object& object : fresh->viewContext().fetch(isFolder ? "Folder" : "Note")) {
        const Serial serial = serialOf(*object->value("id")->uuid()).value_or(0);
        Row& row = (isFolder ? readBack.folders : readBack.notes)[serial];
        row.text = *object->value(textKey(isFolder))->string();
        if (const auto target = object->value(linkKey(isFolder))) {
          row.link = serialOf(*target->object()->value("id")->uuid()).value_or(0);
        }
      }
    }
    if (readBack != file_) {
      fail("a fresh container reads the file otherwise:" + differences(file_, readBack));
    }
  }

  std::filesystem::path url_;
  std::vector<Writer> writers_;
  FileState file_;
  std::map<std::int64_t, Serial> keys_[2];  // notes, folders
  Serial serials_ = 0;
  int texts_ = 0;
  Counts counts_;
  std::vector<std::string> log_;
  std::function<void(const std::string&)> sink_;
  std::string failure_;
};

}  // namespace kelvo::data::testing
