#include "player/playback_rules.h"

std::string FrameCounterText(int frameNum, int totalFrames)
{
    return std::to_string(frameNum + 1) + " / " + std::to_string(totalFrames);
}

bool ShouldRestartLoop(int frameNum, int totalFrames, int16_t loop, int16_t playing)
{
    return frameNum == totalFrames - 1 && loop != 0 && playing == 0;
}

bool CommandVisible(uint16_t visibleCommands, PlayerCommand command)
{
    if (command == PlayerCommand::Stop)
        command = PlayerCommand::Play;
    return (visibleCommands >> static_cast<int>(command)) & 1;
}
