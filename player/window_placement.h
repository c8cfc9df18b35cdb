#pragma once
// Where and how large the player window opens, from the settings. Pure
// arithmetic: the Win32 side gathers the inputs and applies the result.
#include <cstdint>
#include <optional>

struct PlacementInput {
    uint8_t windowMode = 0;      // 0 designed size, 1 work area, 2 maximised without border, 3 given size
    uint8_t windowPosition = 0;  // 0..8 screen spots, 9 given point, others: as designed
    bool rememberPosition = false;
    bool controlsVisible = false;
    int32_t windowLeft = 0, windowTop = 0;      // for position 9
    int32_t windowWidth = 0, windowHeight = 0;  // for mode 3
    int screenWidth = 0, screenHeight = 0;
    int taskbarHeight = 0;
    // The window as designed.
    int left = 0, top = 0, width = 0, height = 0;
    // The stored last position, when remembering; -1 in a coordinate means "not stored".
    int storedLeft = -1, storedTop = -1;
};

struct PlacementResult {
    int left = 0, top = 0, width = 0, height = 0;
    bool maximiseWithoutBorder = false;
    // Mode 3 lifts the minimum widths when the control panel is hidden and
    // keeps the player area at least 650 wide when it is shown.
    std::optional<int> windowMinWidth;
    std::optional<int> playerMinWidth;
};

PlacementResult PlaceWindow(const PlacementInput& in);

// The minimum player-area width the layout keeps with the control panel shown.
inline constexpr int kPlayerMinWidthWithControls = 650;
