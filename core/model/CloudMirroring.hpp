#pragma once

/// Whether mirroring of the store to the user's cloud account was configured in this process.
/// The host sets it; a card whose file bytes are absent reads as still arriving rather than
/// missing when it is on. Safe to read and set from any thread.
namespace kelvo::CloudMirroring {

/// False until `setConfigured(true)`.
bool isConfigured();
void setConfigured(bool configured);

}  // namespace kelvo::CloudMirroring
