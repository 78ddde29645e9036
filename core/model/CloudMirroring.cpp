#include "core/model/CloudMirroring.hpp"

#include <mutex>

namespace kelvo::CloudMirroring {
namespace {

struct Flag {
  std::mutex lock;
  bool configured = false;
};

// Made on first use, once, whichever thread comes first.
Flag& flag() {
  static Flag instance;
  return instance;
}

}  // namespace

bool isConfigured() {
  Flag& state = flag();
  const std::lock_guard guard(state.lock);
  return state.configured;
}

void setConfigured(bool configured) {
  Flag& state = flag();
  const std::lock_guard guard(state.lock);
  state.configured = configured;
}

}  // namespace kelvo::CloudMirroring
