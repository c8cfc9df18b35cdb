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

// The position to remember when the window closes: its normal (restored)
// place, never the spot of its minimised button or of its maximised frame, so
// that the next start opens on screen. While the window shows normally its
// frame is that place; otherwise the placement's normal rectangle is, which the
// platform keeps in work-area coordinates: workAreaOrigin (the work area's
// top left on the screen) turns it into screen coordinates.
StoredPosition PositionToRemember(bool minimisedOrMaximised, StoredPosition frame, StoredPosition normalInWorkArea,
                                  StoredPosition workAreaOrigin);

// What a double click on the tray icon does to the window before bringing it
// forward: a hidden or minimised window is shown restored; a window on show
// stays as it is (a maximised one stays maximised).
enum class TrayRestore { Nothing, Show, Restore };
TrayRestore TrayRestoreFor(bool visible, bool minimised);
