#include "tests/support_win/scoped_state_win.h"

#include "winbase/handles_win.h"

namespace swfp::wintest {

RegistryKeyRestorer::RegistryKeyRestorer(HKEY root, std::wstring subkey) : root_(root), subkey_(std::move(subkey))
{
    for (size_t end = subkey_.find(L'\\');; end = subkey_.find(L'\\', end + 1)) {
        const std::wstring part = subkey_.substr(0, end);
        swfp::win::UniqueRegKey key;
        if (RegOpenKeyExW(root_, part.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            firstMissing_ = part;
            return;
        }
        if (end == std::wstring::npos)
            break;
    }
    swfp::win::UniqueRegKey key;
    RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.put());
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        Value value{std::wstring(name, nameLength), type, std::vector<BYTE>(size)};
        RegQueryValueExW(key.get(), value.name.c_str(), nullptr, nullptr, value.data.data(), &size);
        values_.push_back(std::move(value));
    }
}

RegistryKeyRestorer::~RegistryKeyRestorer()
{
    RegDeleteTreeW(root_, subkey_.c_str());
    if (firstMissing_.empty()) {
        swfp::win::UniqueRegKey key;
        RegCreateKeyExW(root_, subkey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
        for (const Value& v : values_)
            RegSetValueExW(key.get(), v.name.c_str(), 0, v.type, v.data.data(), DWORD(v.data.size()));
        return;
    }
    // The parents made meanwhile go too, unless another program has put keys of its own there
    // (RegDeleteKey leaves a key with subkeys alone).
    for (std::wstring parent = subkey_; parent.size() > firstMissing_.size();) {
        parent.resize(parent.rfind(L'\\'));
        RegDeleteKeyW(root_, parent.c_str());
    }
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::wstring name, const std::wstring& value)
    : name_(std::move(name))
{
    if (const DWORD size = GetEnvironmentVariableW(name_.c_str(), nullptr, 0)) {
        std::wstring earlier(size, L'\0');
        earlier.resize(GetEnvironmentVariableW(name_.c_str(), earlier.data(), size));
        earlier_ = earlier;
    }
    SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
{
    SetEnvironmentVariableW(name_.c_str(), earlier_ ? earlier_->c_str() : nullptr);
}

}  // namespace swfp::wintest
