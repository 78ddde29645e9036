#pragma once

// Reads from an outside source raced against a deadline, and the message shown when a read misses
// it. The read runs on a thread of its own and is told to stop when nobody waits any more:
//
//   const auto read = [](std::stop_token stop) { return stop.stop_requested() ? 0 : 3; };
//   const std::optional<int> events = withDeadline<int>(IntegrationRead::deadline, read);  // 3
//   const std::string late = IntegrationRead::timedOutMessage(KelvoIntegrationKind::calendar);

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>

#include "core/agenda/DeadlineGate.hpp"
#include "core/agenda/KelvoIntegrationKind.hpp"
#include "platform/foundation/Clock.hpp"

namespace kelvo {

struct IntegrationRead {
  /// Seconds every integration read is given.
  static constexpr TimeInterval deadline = 12;

  /// The message for a read of `kind` that missed its deadline; localised.
  static std::string timedOutMessage(KelvoIntegrationKind kind);
};

/// Runs `operation` on a thread of its own and returns its value, or none when `deadline`
/// seconds pass first on `clock`'s continuous time. The caller returns as soon as the operation
/// does. At the deadline the operation's stop is requested and the call returns at once; an
/// operation that goes on is left to finish, and its value is dropped.
///
/// The operation outlives the call, so it must own everything it touches (capture by value or
/// by shared pointer, never the caller's locals) and must not rely on globals once `main` has
/// returned. An exception escaping it reaches the caller when it answers in time and is dropped
/// when it comes late. Throws std::system_error when no thread can be started.
template <class T>
std::optional<T> withDeadline(TimeInterval deadline, std::function<T(std::stop_token)> operation,
                              const Clock& clock = Clock::system()) {
  struct Race {
    DeadlineGate gate;
    std::optional<T> value;    // written by the operation's thread after its claim only
    std::exception_ptr error;  // likewise
  };
  auto race = std::make_shared<Race>();
  std::thread([race, operation = std::move(operation)]() mutable {
    std::optional<T> value;
    std::exception_ptr error;
    try {
      value.emplace(operation(race->gate.stopToken()));
    } catch (...) {
      error = std::current_exception();
    }
    operation = nullptr;
    if (!race->gate.claim()) return;
    race->value = std::move(value);
    race->error = std::move(error);
    race->gate.answer();
  }).detach();

  if (!race->gate.await(deadline, clock)) return std::nullopt;
  if (race->error) std::rethrow_exception(race->error);
  return std::move(race->value);
}

}  // namespace kelvo
