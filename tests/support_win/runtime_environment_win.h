#pragma once
// The Flash runtime state of a test process, as the player has it: OLE, the
// runtime unit with the content manager, and the stand-in runtime module
// mapped from its file beside the test program.
#include <gtest/gtest.h>

#include <string>

namespace swfp::wintest {

// Makes the stand-in module of that file name (beside the program) the active
// provider's module; an empty name leaves a provider without any module.
void UseRuntimeModule(const std::wstring& dllName);

// Holds the runtime state for the whole test program, from before the first
// test to after the last, with the module `dllName` mapped at the start (empty:
// none, the tests choose). Register it once per program, before the tests run:
//   const auto* const environment = AddRuntimeEnvironment(L"flash_standin.dll");
::testing::Environment* AddRuntimeEnvironment(const std::wstring& dllName = {});

}  // namespace swfp::wintest
