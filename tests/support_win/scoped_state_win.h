#pragma once
// State a test changes outside its own objects (the registry, the process
// environment), put back whatever the assertions do.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace swfp::wintest {

// Puts a registry key of values back as it was when the guard was made: a key
// that did not exist is removed again, with the parents made meanwhile unless
// others have put keys there too; a key that existed gets back exactly the
// values it had (its subkeys are not kept).
class RegistryKeyRestorer {
public:
    RegistryKeyRestorer(HKEY root, std::wstring subkey);
    ~RegistryKeyRestorer();
    RegistryKeyRestorer(const RegistryKeyRestorer&) = delete;
    RegistryKeyRestorer& operator=(const RegistryKeyRestorer&) = delete;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY root_;
    std::wstring subkey_;
    std::wstring firstMissing_;  // empty when the whole key existed
    std::vector<Value> values_;
};

// Sets a variable of this process's environment, which the programs it starts
// inherit, for the guard's scope; then the earlier value, or none, is back.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::wstring name, const std::wstring& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> earlier_;
};

}  // namespace swfp::wintest
