#pragma once
// Where the player remembers its last window position: one registry key per
// copy of the player, named after the full path of its executable.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "Software\Quindo Software\Vexlor\" followed by the executable's full path
// with every "\" turned into "_" (the key lives under HKEY_CURRENT_USER).
std::string WindowPositionKey(std::string_view executablePath);

struct StoredPosition {
    int32_t left = -1, top = -1;
    bool operator==(const StoredPosition&) const = default;
};

// The stored position from the two values as read: a key that holds only one
// of them, or a value of the wrong kind, counts as no stored position at all
// (the window then keeps its designed place instead of failing to open).
std::optional<StoredPosition> StoredPositionFrom(std::optional<int32_t> lastLeft, std::optional<int32_t> lastTop);
