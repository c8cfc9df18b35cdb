#include "win_test_support.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace loader_test {

std::string BesideProgram(const char* fileName)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + fileName;
}

std::vector<uint8_t> ReadBesideProgram(const char* fileName)
{
    std::ifstream in(BesideProgram(fileName), std::ios::binary);
    if (!in) throw std::runtime_error(std::string("missing test file ") + fileName);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

// The test module imports a library of its own from beside the test program: a
// folder the loader searches only once the program has added it.
const DLL_DIRECTORY_COOKIE g_programFolder = [] {
    const std::string folder = BesideProgram("");
    return AddDllDirectory(std::wstring(folder.begin(), folder.end()).c_str());
}();

}  // namespace

}  // namespace loader_test
