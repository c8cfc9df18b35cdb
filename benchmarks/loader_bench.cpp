// Maps a 16 MB module with many relocations with the in-memory loader and with
// the system loader in the same run, and prints the time ratios: the image
// mapped from memory, read from its file into the image, and inflated from a
// zlib block into the image against inflating it alone.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/module_inflate.h"
#include "flashrt/dll_loader_win.h"
#include "flashrt/handle_source_win.h"
#include <zlib.h>

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
    // The file is read straight into the image, as the provider reads the registered module.
    const double fromFile = MedianMilliseconds(rounds, [&] {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            correct = false;
            return;
        }
        {
            flashrt::HandleSource source(file);
            flashrt::TDLLLoader loader(source);
            correct = correct && loader.GetProcAddress("bench_check");
        }
        CloseHandle(file);
    });

    // The package's block: inflated into the image as it is mapped, against
    // inflating it alone into fresh memory of the module's size (fresh pages
    // cost as much as the inflating: any path pays for them).
    std::vector<uint8_t> packed(compressBound(uLong(image.size())));
    uLongf packedSize = uLongf(packed.size());
    if (compress2(packed.data(), &packedSize, image.data(), uLong(image.size()), Z_BEST_COMPRESSION) != Z_OK) return 1;
    packed.resize(packedSize);
    const double inflateAlone = MedianMilliseconds(rounds, [&] {
        void* region = VirtualAlloc(nullptr, image.size(), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!region) {
            correct = false;
            return;
        }
        const std::span<uint8_t> unpacked(static_cast<uint8_t*>(region), image.size());
        InflateSource source(packed);
        size_t at = 0;
        while (const size_t n = source.Read(unpacked.subspan(at))) at += n;
        correct = correct && at == image.size();
        VirtualFree(region, 0, MEM_RELEASE);
    });
    const double inflateMap = MedianMilliseconds(rounds, [&] {
        InflateSource source(packed);
        flashrt::TDLLLoader loader(source);
        source.Finish();
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

    std::printf("module: %zu bytes (%zu packed)\n", image.size(), packed.size());
    std::printf("in-memory loader, image in memory:  %8.2f ms\n", fromMemory);
    std::printf("in-memory loader, file read + map:  %8.2f ms\n", fromFile);
    std::printf("inflate alone:                      %8.2f ms\n", inflateAlone);
    std::printf("in-memory loader, inflate + map:    %8.2f ms\n", inflateMap);
    std::printf("system loader (LoadLibraryExW):     %8.2f ms\n", system);
    std::printf("copy floor (allocate + one copy):   %8.2f ms\n", copyFloor);
    std::printf("ratio loader/system: %.2f (read + map: %.2f; inflate + map vs inflate alone: %.2f)"
                "; goals <= 1.2 (1.3; 1.15)\n",
                fromMemory / system, fromFile / system, inflateMap / inflateAlone);
    if (!correct) {
        std::printf("a mapped module gave wrong results\n");
        return 1;
    }
    return 0;
}
