#pragma once
// The Flash runtime state of a test process, as the player has it: OLE, the
// runtime unit with the content manager, and the stand-in runtime module
// mapped from its file beside the test program.
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace flashrt {
class FlashRuntimeUnit;
}

namespace swfp::wintest {

// Makes the stand-in module of that file name (beside the program) the active
// provider's module; an empty name leaves a provider without any module.
void UseRuntimeModule(const std::wstring& dllName);

// Holds the runtime state for the whole test program. Register it once per
// program, before the tests run:
//   const auto* const environment = AddRuntimeEnvironment(L"flash_standin.dll");
class RuntimeEnvironment : public ::testing::Environment {
public:
    // `dllName`: the module mapped at the start; empty for none (the tests choose).
    explicit RuntimeEnvironment(std::wstring dllName);
    ~RuntimeEnvironment() override;
    void SetUp() override;
    void TearDown() override;

private:
    std::wstring dllName_;
    std::unique_ptr<flashrt::FlashRuntimeUnit> unit_;
};

::testing::Environment* AddRuntimeEnvironment(const std::wstring& dllName = {});

}  // namespace swfp::wintest
