#pragma once
// The last window position of this copy of the player, in the registry under
// HKEY_CURRENT_USER (key name in window_position.h).
#include <optional>
#include <string>

#include "player/window_position.h"

// The stored position, or none when the key or one of its values is missing.
std::optional<StoredPosition> LoadWindowPosition(const std::string& executablePathAnsi);
// Writes both values, creating the key when missing; raises when that fails.
void SaveWindowPosition(const std::string& executablePathAnsi, StoredPosition position);
