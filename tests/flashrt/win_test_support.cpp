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

}  // namespace loader_test
