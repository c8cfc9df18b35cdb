#include "player/window_position_win.h"

#include <windows.h>

#include <stdexcept>

namespace {

class RegKey {
public:
    RegKey() = default;
    ~RegKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Put() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

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
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, WindowPositionKey(executablePathAnsi).c_str(), 0, KEY_READ, key.Put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return StoredPositionFrom(ReadInt32(key.Get(), "LastLeft"), ReadInt32(key.Get(), "LastTop"));
}

void SaveWindowPosition(const std::string& executablePathAnsi, StoredPosition position)
{
    RegKey key;
    const LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, WindowPositionKey(executablePathAnsi).c_str(), 0,
                                           nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("Cannot open the registry key for the window position (error " +
                                 std::to_string(status) + ")");
    WriteInt32(key.Get(), "LastLeft", position.left);
    WriteInt32(key.Get(), "LastTop", position.top);
}
