#pragma once
// The bookkeeping of the refresh timer and the command visibility that the
// window set-up derives from the settings; pure rules on values read from the
// player control.
#include <cstdint>
#include <string>

// "%d / %d": the current frame counted from 1, and the frame count, as the control reports them.
std::string FrameCounterText(int frameNum, int totalFrames);

// A looping movie that stopped itself on its last frame starts again from the first.
bool ShouldRestartLoop(int frameNum, int totalFrames, int16_t loop, int16_t playing);

// Commands whose visibility the settings decide, in bit order.
enum class PlayerCommand {
    ZoomIn, ZoomOut, ZoomAll, QualityMenus, Play, Loop, Rewind, Forward, Back, End, Print, Sound, Close, About, Stop
};

// Whether a command exists with the given VisibleCommands mask. Stop follows Play.
bool CommandVisible(uint16_t visibleCommands, PlayerCommand command);
