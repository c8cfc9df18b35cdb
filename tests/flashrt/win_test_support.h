#pragma once
// Helpers of the Windows loader tests: the files built beside the test program,
// the test module's exports by their types, and guards for process-wide state.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "flashrt/import_hooks_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/test_files_win.h"

namespace loader_test {

inline std::vector<uint8_t> ReadBesideProgram(const char* fileName)
{
    auto bytes = swfp::wintest::ReadWholeFile(swfp::wintest::ExeFolder() / fileName);
    if (bytes.empty()) throw std::runtime_error(std::string("missing test file ") + fileName);
    return bytes;
}

inline std::vector<uint8_t> TestModuleImage() { return ReadBesideProgram("flashrt_test_module.dll"); }

template <typename F, typename Loader>
F Export(Loader& loader, const char* name)
{
    FARPROC p = loader.GetProcAddress(name);
    if (!p) throw std::runtime_error(std::string("the test module does not export ") + name);
    return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

// The window-class map and the sound switch the substitutes need, for a scope.
struct ImportHookState {
    ImportHookState() { flashrt::StartImportHookState(); }
    ~ImportHookState() { flashrt::StopImportHookState(); }
    ImportHookState(const ImportHookState&) = delete;
    ImportHookState& operator=(const ImportHookState&) = delete;
};

// The test module imports a library of its own from beside the test program: a
// folder the loader searches only once the program has added it.
inline const DLL_DIRECTORY_COOKIE g_programFolder = AddDllDirectory(swfp::wintest::ExeFolder().c_str());

}  // namespace loader_test
