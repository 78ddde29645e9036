#include "core/model/CloudMirroring.hpp"

#include <atomic>

namespace kelvo::CloudMirroring {
namespace {

std::atomic<bool> configuredFlag{false};

}  // namespace

bool isConfigured() { return configuredFlag.load(); }

void setConfigured(bool configured) { configuredFlag.store(configured); }

}  // namespace kelvo::CloudMirroring
