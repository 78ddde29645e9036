// A log a close or a save had to leave holding saves its file has not taken, for want of room or
// as another program's read kept them busy: it follows its file where a rename takes it, the file
// records where it is, and the next open by any name of the file reads it, or is refused, naming
// it. No save answered "saved" is erased when the store comes back to its old name.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/xattr.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "tests/data/SmallDisk.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

// The titles of the notes in the store at `url`, in order, joined by commas.
std::string titles(const fs::path& url) {
  std::set<std::string> found;
  for (const auto& note : testing::openContainer(url)->viewContext().fetch("Note")) {
    found.insert(*note->value("title")->string());
  }
  std::string list;
  for (const auto& title : found) list += (list.empty() ? "" : ",") + title;
  return list;
}

// Saves each title in turn, one save each; with `pages`, notes that take new pages, so that a
// moved file must grow to take the log.
void save(Container& container, std::initializer_list<const char*> titles, bool pages = false) {
  for (const char* title : titles) {
    auto note = testing::makeNote(container.viewContext(), title);
    if (pages) note->setValue("body", std::string(6000, 'p'));
    container.viewContext().save();
  }
}

// Notes saved at `first`, closed on a full disk after `between` (a move or nothing), room made;
// saves at `second`, and `after` (a move back, or nothing); what each name reads at the end.
std::string keptThenSaved(const fs::path& folder, const fs::path& first, const fs::path& second,
                          const std::function<void()>& between,
                          const std::function<void()>& after) {
  std::string said;
  {
    auto holder = testing::openContainer(first);
    save(*holder, {"a1", "a2", "a3"}, true);
    fill(folder / "filler", 0);
    between();
    testing::makeNote(holder->viewContext(), "refused");
    said += "late save " + code(testing::saveError(holder->viewContext()));
  }
  fs::remove(folder / "filler");
  {
    auto later = testing::openContainer(second);
    save(*later, {"b1", "b2"});
  }
  after();
  return said + "; " + titles(first) + "; " + notesAndCheck(first);
}

// A store closed on a full disk, the log its close could not copy kept: every save answered
// "saved" is read at the end, by whichever name. Moved within its file system, its log follows
// it; opened by another of its names, the open brings the log beside that name.
TEST(StoreKeptLogTest, ALogKeptForWantOfRoomStaysWithItsFileAndNoLaterSaveIsErased) {
  if (geteuid() != 0) GTEST_SKIP() << "a file system of the test's own needs the superuser";
  TemporaryDirectory directory;
  TemporaryDirectory images;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  const fs::path a = folder / "A.store";
  const fs::path b = folder / "B.store";
  const auto tmpfs = [&](const std::function<std::string()>& what) {
    return inSmallFileSystem(folder, 2 << 20, what);
  };
  const auto movedAndBack = [&] {
    return keptThenSaved(
        folder, a, b, [&] { fs::rename(a, b); }, [&] { fs::rename(b, a); });
  };
  const struct {
    const char* name;
    std::function<std::string(const std::function<std::string()>&)> disk;
    std::function<std::string()> steps;
    // The late save is refused, the disk full (13); then what the first name reads.
    std::string said;
  } rows[] = {
      {"moved and back, tmpfs", tmpfs, movedAndBack, "late save 13; a1,a2,a3,b1,b2; 5 whole"},
      {"moved and back, ext4",
       [&](auto what) { return inSmallExt4(folder, images.path() / "ext4.img", 8 << 20, what); },
       movedAndBack, "late save 13; a1,a2,a3,b1,b2; 5 whole"},
      // The log beside the new name is taken: a leftover, empty.
      {"moved beside a leftover log", tmpfs,
       [&] {
         return keptThenSaved(
             folder, a, b,
             [&] {
               fs::rename(a, b);
               std::ofstream(b.string() + "-wal").flush();
             },
             [&] { fs::rename(b, a); });
       },
       "late save 13; a1,a2,a3,b1,b2; 5 whole"},
      {"a hard link", tmpfs,
       [&] {
         testing::keepNote(a, "a0");
         fs::create_hard_link(a, b);
         return keptThenSaved(
             folder, b, a, [] {}, [] {});
       },
       "late save 13; a0,a1,a2,a3,b1,b2; 6 whole"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string said = row.disk(row.steps);
    if (said == "no mount") {
      std::printf("%s: left out, no file system of its own here\n", row.name);
      continue;
    }
    EXPECT_EQ(said, row.said);
  }
}

// A record of a log, as a close writes it on the store file, for a log of `bytes`.
void record(const fs::path& store, const std::string& bytes, const fs::path& log) {
  std::string value = "1 ";
  char hex[3];
  for (std::size_t at = 16; at < 24; ++at) {
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[at]));
    value += hex;
  }
  value += " " + log.string();
  ASSERT_EQ(setxattr(store.c_str(), "user.kelvo.log", value.data(), value.size(), 0), 0);
}

// What an open of the store at `url` says: the notes it reads, or its refusal with its code.
std::string opening(const fs::path& url) {
  try {
    return std::to_string(testing::openContainer(url)->viewContext().count("Note")) + " notes";
  } catch (const StoreError& error) {
    return error.what() + std::string(" (") + std::to_string(error.extendedCode()) + ")";
  }
}

// What an open makes of a log beside its name, or of a store's record of one: a log it cannot
// bring is named, with what to do; a log beside the name that another store's close kept, or a
// killed program left before its store moved, is set aside, never read, and the store page's
// steps put the latter back; a record whose log is gone is forgotten. A store moved while another
// program, using SQLite alone, reads it by its old name is refused at the new place, naming that
// program, until it has closed it; then the open brings the log, and every save is read, whole.
TEST(StoreKeptLogTest, AnOpenBringsItsStoresLogOrNamesItAndNeverReadsAnotherStoresLog) {
  // Started before the test opens anything.
  Reader reader;
  TemporaryDirectory directory;
  TemporaryDirectory other;
  const fs::path folder = fs::canonical(directory.path());
  const fs::path url = folder / "A.store";
  const fs::path moved = folder / "B.store";
  const fs::path away = folder / "away";
  const std::string cannot = "Could not open the store at " + url.string() + ": ";
  const std::string log = testing::logWithFrames(other.path());
  const std::string another = testing::logWithFrames(other.path());
  const auto write = [](const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  // Every save read at the end, whole, and whether a log is left at `old`.
  const auto atTheEnd = [&](const fs::path& old) {
    std::string said = "; " + titles(moved);
    said += "; " + notesAndCheck(moved);
    return said + (fs::exists(old.string() + "-wal") ? ", a log left" : "");
  };
  const struct {
    const char* name;
    std::function<std::string()> steps;
    std::string said;
  } rows[] = {
      {"the log on another file system",
       [&] {
         fs::create_directory(away);
         return inSmallFileSystem(away, 1 << 20, [&] {
           write(away / "A.store-wal", log);
           record(url, log, away / "A.store-wal");
           return opening(url);
         });
       },
       cannot + "its latest saves are in the log " + (away / "A.store-wal").string() +
           ", on another file system than the store; while no program has the store open, move "
           "that log beside it as " +
           url.string() + "-wal, then open it again. (14)"},
      {"another log beside this name",
       [&] {
         fs::create_directory(away);
         write(away / "A.store-wal", log);
         write(url.string() + "-wal", another);
         record(url, log, away / "A.store-wal");
         return opening(url);
       },
       cannot + "its latest saves are in the log " + (away / "A.store-wal").string() +
           ", left beside another name of it, and " + url.string() +
           "-wal beside this name holds saves made since without them; the store cannot take "
           "both: keep the store and both logs as they are, and open a copy of the store with the "
           "log whose saves it should keep beside it. (14)"},
      {"another store's log beside this name",
       [&] {
         write(url.string() + "-wal", another);
         const std::string owner = "1 0:0 1 0.0";
         setxattr((url.string() + "-wal").c_str(), "user.kelvo.store", owner.data(), owner.size(),
                  0);
         const std::string said = opening(url);
         return said +
                (fs::exists(url.string() + "-wal-kept-1") ? ", set aside" : ", not set aside");
       },
       "1 notes, set aside"},
      {"a killed program's log, its store moved and a new one made at the old path",
       [&] {
         Peer killed;
         std::string said = killed("open " + url.string());
         for (const char* step : {"note k1", "note k2"}) said += ", " + killed(step);
         killed.kill();
         fs::rename(url, moved);
         said += "; " + opening(url);
         if (!fs::exists(url.string() + "-wal-kept-1")) return said + ", not set aside";
         // The steps: the log renamed beside the store, a -shm there removed, the old path's left.
         fs::rename(url.string() + "-wal-kept-1", moved.string() + "-wal");
         fs::remove(moved.string() + "-shm");
         return said + ", set aside" + atTheEnd(moved);
       },
       "opened, saved, saved; 0 notes, set aside; k1,k2,kept; 3 whole"},
      {"a record whose log is gone",
       [&] {
         record(url, log, away / "A.store-wal");
         const std::string said = opening(url);
         char value[256];
         return said + (getxattr(url.c_str(), "user.kelvo.log", value, sizeof value) < 0
                            ? ", forgotten"
                            : ", kept");
       },
       "1 notes, forgotten"},
      {"a store moved while another program reads it",
       [&] {
         std::string said;
         {
           auto container = testing::openContainer(url);
           save(*container, {"n1", "n2", "n3"});
           if (!reader.read(url)) return std::string("no reader");
           save(*container, {"n4", "n5", "n6"});
           fs::rename(url, moved);
           testing::makeNote(container->viewContext(), "late");
           said = "late save " + code(testing::saveError(container->viewContext()));
         }
         // The host opens the store where it now is: the program holds the file by its old name,
         // and is told so, as it would be without the move.
         said += "; " + opening(moved);
         reader.stop();
         save(*testing::openContainer(moved), {"after"});
         return said + atTheEnd(url);
       },
       "late save 1032; Could not open the store at " + moved.string() +
           ": another program (process " + std::to_string(reader.process()) +
           ") has this file open by another name, and SQLite keeps a store's -wal and -shm beside "
           "the name it was opened by; close the store in that program, then open it here. (14); "
           "after,kept,n1,n2,n3,n4,n5,n6; 8 whole"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& file : fs::directory_iterator(folder)) fs::remove_all(file.path());
    testing::keepNote(url, "kept");
    const std::string said = row.steps();
    if (said == "no mount") {
      std::printf("%s: left out, no file system of its own here\n", row.name);
      continue;
    }
    EXPECT_EQ(said, row.said);
  }
}

}  // namespace
}  // namespace kelvo::data
