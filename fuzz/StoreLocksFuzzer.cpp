// What opening a store reads of another program to tell whether it has the store open by another
// name: its memory map, the system's list of locks, and the lock tests' answers. Never crashes; a
// map names another name only through a path it lists, the list names only processes other than
// this one, each once, and the judgement names a holder only as a test, the list or a map gave
// it, for what that said.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/data/internal/StoreLocks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data_internal::StoreLocks;
  using kelvo::fuzz::require;
  if (size < 5) return 0;
  const StoreLocks::Identity store{42, 257};
  const StoreLocks::Identity shm{42, 258};
  const std::string_view maps = kelvo::fuzz::text(data + 5, size - 5);
  // What a path names: taken from its length, so that every answer comes, the store among them.
  std::string named;
  const auto identify = [&](const char* path) -> std::optional<StoreLocks::Identity> {
    named += path;
    const std::size_t length = std::string_view(path).size();
    switch (length % 4) {
      case 0:
        return std::nullopt;
      case 1:
        return store;
      case 2:
        return shm;
      default:
        return StoreLocks::Identity{42, length};
    }
  };
  const auto mapped = StoreLocks::mapped(
      maps, store, shm, identify, [&](StoreLocks::Identity file) { return file.inode % 2 == 0; });
  if (mapped == StoreLocks::Mapped::anotherName || mapped == StoreLocks::Mapped::thisName) {
    require(named.find("-shm") != std::string::npos);
  }
  require(mapped != StoreLocks::Mapped::unknown && mapped != StoreLocks::Mapped::gone);

  // The same text as a list of locks: the holders it names are of the files asked, never this
  // process, each once.
  const off_t own = StoreLocks::markOf({42, 7}, "cards.store");
  const auto listed =
      StoreLocks::holders(maps, {"fe:01", 257}, StoreLocks::ListedFile{"fe:01", 258}, own, 10);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    require(listed[i].process > 0 && listed[i].process != 10);
    for (std::size_t j = 0; j < i; ++j) require(listed[i].process != listed[j].process);
    require(maps.find("fe:01:25") != std::string_view::npos);
    if (listed[i].holdsFile || listed[i].mark != StoreLocks::Listed::Mark::none) {
      require(maps.find(":257 ") != std::string_view::npos);
    }
  }

  // The lock tests' answers, from the first bytes, and each holder's map from its number.
  const auto held = [](std::uint8_t byte) {
    return StoreLocks::Held{static_cast<StoreLocks::Held::Lock>(byte % 4),
                            static_cast<pid_t>(byte / 4 % 3), byte / 12 % 2 == 1};
  };
  const StoreLocks::Tests tests{held(data[0]), held(data[1]), {held(data[2]), held(data[3])}};
  const auto mapOf = [&](pid_t process) {
    return static_cast<StoreLocks::Mapped>((static_cast<unsigned>(process) + data[4]) % 5);
  };
  const auto found =
      StoreLocks::judge(tests, data[4] % 2 == 0 ? std::optional(listed) : std::nullopt, mapOf);
  using Conflict = StoreLocks::Conflict;
  const auto isListed = [&](pid_t process, StoreLocks::Listed::Mark mark) {
    return std::any_of(listed.begin(), listed.end(), [&](const StoreLocks::Listed& each) {
      return each.process == process && each.mark == mark;
    });
  };
  if (found.conflict == Conflict::none) require(found.process == 0);
  if (found.process != 0) {
    require(found.process == tests.file.process || found.process == tests.shm.process ||
            found.process == tests.marks.otherName.process ||
            std::any_of(listed.begin(), listed.end(), [&](const StoreLocks::Listed& each) {
              return each.process == found.process;
            }));
  }
  switch (found.conflict) {
    case Conflict::fileByAnotherName:
      require((tests.marks.otherName.held() && found.process == tests.marks.otherName.process) ||
              isListed(found.process, StoreLocks::Listed::Mark::anotherName) ||
              (found.process != 0 && mapOf(found.process) == StoreLocks::Mapped::anotherName));
      break;
    case Conflict::unseenHolder:
      require(tests.file.process == 0 && found.process == 0 && !tests.file.byOpenFile);
      break;
    case Conflict::unreadableHolder:
      require(found.process > 0 && mapOf(found.process) == StoreLocks::Mapped::unknown);
      break;
    case Conflict::withoutShm:
      require(found.process > 0 && mapOf(found.process) == StoreLocks::Mapped::noneOfTheFile);
      break;
    case Conflict::locked:
      require(tests.file.lock == StoreLocks::Held::Lock::write);
      break;
    case Conflict::shmOfAnotherFile:
      require(tests.file.lock == StoreLocks::Held::Lock::none && tests.shm.held());
      break;
    case Conflict::none:
      break;
  }
  // A mark of this name as unseen as the file's holder is taken for it.
  if (tests.file.process == 0 && tests.file.lock == StoreLocks::Held::Lock::read &&
      tests.marks.thisName.held() && tests.marks.thisName.process == 0) {
    require(found.conflict != Conflict::unseenHolder);
  }
  return 0;
}
