#pragma once
// Helpers of the Windows loader tests: files next to the test program, and the
// test module's exports by their types.
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace loader_test {

// Full path of a file in the folder of this program.
std::string BesideProgram(const char* fileName);
std::vector<uint8_t> ReadBesideProgram(const char* fileName);

// The test module's image.
inline std::vector<uint8_t> TestModuleImage() { return ReadBesideProgram("flashrt_test_module.dll"); }

template <typename F, typename Loader>
F Export(Loader& loader, const char* name)
{
    FARPROC p = loader.GetProcAddress(name);
    if (!p) throw std::runtime_error(std::string("the test module does not export ") + name);
    return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

}  // namespace loader_test
