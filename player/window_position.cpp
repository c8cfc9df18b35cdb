#include "player/window_position.h"

std::string WindowPositionKey(std::string_view executablePath)
{
    std::string key = "Software\\Quindo Software\\Vexlor\\";
    for (char c : executablePath)
        key += c == '\\' ? '_' : c;
    return key;
}

std::optional<StoredPosition> StoredPositionFrom(std::optional<int32_t> lastLeft, std::optional<int32_t> lastTop)
{
    if (!lastLeft || !lastTop)
        return std::nullopt;
    return StoredPosition{*lastLeft, *lastTop};
}

StoredPosition PositionToRemember(bool minimisedOrMaximised, StoredPosition frame, StoredPosition normalInWorkArea,
                                  StoredPosition workAreaOrigin)
{
    if (!minimisedOrMaximised)
        return frame;
    return {normalInWorkArea.left + workAreaOrigin.left, normalInWorkArea.top + workAreaOrigin.top};
}

TrayRestore TrayRestoreFor(bool visible, bool minimised)
{
    if (minimised)
        return TrayRestore::Restore;
    return visible ? TrayRestore::Nothing : TrayRestore::Show;
}
