// Maps a 16 MB module with many relocations with the in-memory loader and with
// the system loader in the same run, and prints the time ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "flashrt/dll_loader_win.h"

namespace {

std::string BesideProgram(const char* name)
{
    char path[MAX_PATH] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

// Read in one call, as the provider reads the registered module.
std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    DWORD read = 0;
    if (GetFileSizeEx(file, &size)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

template <typename Run>
double MedianMilliseconds(int rounds, Run run)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

using Check = int (*)();
int Expected() { return 7 * int((16 * 1024 * 1024 / sizeof(void*) + 4092) / 4093); }

}  // namespace

int main()
{
    const std::string path = BesideProgram("loader_bench_module.dll");
    const std::wstring widePath(path.begin(), path.end());
    const std::vector<uint8_t> image = ReadWholeFile(path);
    if (image.size() < 16u * 1024 * 1024) {
        std::printf("benchmark module missing or too small: %s\n", path.c_str());
        return 1;
    }
    const int rounds = 9;
    bool correct = true;

    const double fromMemory = MedianMilliseconds(rounds, [&] {
        flashrt::TDLLLoader loader(image);
        auto check = reinterpret_cast<Check>(reinterpret_cast<void*>(loader.GetProcAddress("bench_check")));
        correct = correct && check && check() == Expected();
    });
    const double fromFile = MedianMilliseconds(rounds, [&] {
        flashrt::TDLLLoader loader(ReadWholeFile(path));
        correct = correct && loader.GetProcAddress("bench_check");
    });
    const double system = MedianMilliseconds(rounds, [&] {
        HMODULE module = LoadLibraryExW(widePath.c_str(), nullptr, 0);
        auto check = module ? reinterpret_cast<Check>(reinterpret_cast<void*>(GetProcAddress(module, "bench_check")))
                            : nullptr;
        correct = correct && check && check() == Expected();
        if (module) FreeLibrary(module);
    });

    // What any loader that copies the image pays at least: fresh pages and one copy.
    const double copyFloor = MedianMilliseconds(rounds, [&] {
        void* region = VirtualAlloc(nullptr, image.size(), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (region) std::memcpy(region, image.data(), image.size());
        if (region) VirtualFree(region, 0, MEM_RELEASE);
    });

    std::printf("module: %zu bytes\n", image.size());
    std::printf("in-memory loader, image in memory:  %8.2f ms\n", fromMemory);
    std::printf("in-memory loader, file read + map:  %8.2f ms\n", fromFile);
    std::printf("system loader (LoadLibraryExW):     %8.2f ms\n", system);
    std::printf("copy floor (allocate + one copy):   %8.2f ms\n", copyFloor);
    std::printf("ratio loader/system: %.2f (read + map: %.2f); goal <= 1.50\n", fromMemory / system, fromFile / system);
    if (!correct) {
        std::printf("a mapped module gave wrong results\n");
        return 1;
    }
    return 0;
}
