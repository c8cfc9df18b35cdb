#include "player/window_position_win.h"

#include <windows.h>

#include <stdexcept>

#include "winbase/handles_win.h"

namespace {

std::optional<int32_t> ReadInt32(HKEY key, const char* name)
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

void WriteInt32(HKEY key, const char* name, int32_t value)
{
    const DWORD raw = static_cast<DWORD>(value);
    const LSTATUS status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&raw), sizeof raw);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(std::string("Cannot store the window position value ") + name + " (error " +
                                 std::to_string(status) + ")");
}

}  // namespace

std::optional<StoredPosition> LoadWindowPosition(const std::string& executablePathAnsi)
{
    swfp::win::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, WindowPositionKey(executablePathAnsi).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return StoredPositionFrom(ReadInt32(key.get(), "LastLeft"), ReadInt32(key.get(), "LastTop"));
}

void SaveWindowPosition(const std::string& executablePathAnsi, StoredPosition position)
{
    swfp::win::UniqueRegKey key;
    const LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, WindowPositionKey(executablePathAnsi).c_str(), 0,
                                           nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("Cannot open the registry key for the window position (error " +
                                 std::to_string(status) + ")");
    WriteInt32(key.get(), "LastLeft", position.left);
    WriteInt32(key.get(), "LastTop", position.top);
}
