// Packaged movie delivery: movies of 1, 16, 128 and 512 MB are appended to a
// file as the movie block of a player package and handed to a control the way
// the player window does (a stream over the file, no copy), until the stand-in
// runtime holds the whole movie. Prints the delivery throughput and the host's
// peak memory beyond the runtime's own copy, relative to the movie size. Each
// size runs in a process of its own, so every peak belongs to one movie.
//
//   movie_delivery_bench.exe            runs all sizes (each in a child process)
//   movie_delivery_bench.exe <MB>       one size, in this process
#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/package_reader_win.h"
#include "app/player_package.h"
#include "flashhost/FlashPlayerControl_win.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "toolkit/form_win.h"

namespace {

using Clock = std::chrono::steady_clock;

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

std::wstring ExePath()
{
    wchar_t path[MAX_PATH];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

std::wstring ExeFolder()
{
    const std::wstring exe = ExePath();
    return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

// A package file: a stand-in executable image, then an uncompressed 550 x 400
// movie of exactly `size` bytes (header, one big tag of an undefined code, a
// ShowFrame and the End tag) as the movie block. Written in small steps, so the
// benchmark's own buffers do not show in the peak.
std::wstring WritePackage(size_t size)
{
    const std::wstring path = ExeFolder() + L"delivery_" + std::to_wstring(size) + L".pkg";
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    const std::vector<char> image(4096, 0);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    const uint32_t length = static_cast<uint32_t>(size);
    const uint8_t header[] = {'F', 'W', 'S', 8, uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16),
                              uint8_t(length >> 24),
                              // frame rectangle 0..11000 x 0..8000 twips, 15-bit fields
                              0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,
                              0x00, 24,  // 24 fps
                              1, 0};     // one frame
    const size_t tail = 4;               // ShowFrame + End
    const uint32_t padding = static_cast<uint32_t>(size - sizeof header - 6 - tail);
    const uint16_t tagCode = static_cast<uint16_t>((177u << 6) | 0x3F);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(&tagCode), 2);
    out.write(reinterpret_cast<const char*>(&padding), 4);
    const std::vector<char> block(64u << 10, 0x5A);
    for (size_t done = 0; done < padding;) {
        const size_t n = std::min(block.size(), padding - done);
        out.write(block.data(), static_cast<std::streamsize>(n));
        done += n;
    }
    const uint8_t end[] = {0x40, 0x00, 0x00, 0x00};
    out.write(reinterpret_cast<const char*>(end), sizeof end);
    const uint32_t trailer[] = {kPackageMovieMagic, length};
    out.write(reinterpret_cast<const char*>(trailer), sizeof trailer);
    return path;
}

// Seconds to write `size` bytes of freshly committed memory once.
double FirstTouchSeconds(size_t size)
{
    void* memory = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory) return 0;
    const auto start = Clock::now();
    std::memset(memory, 0x5A, size);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    VirtualFree(memory, 0, MEM_RELEASE);
    return seconds;
}

struct Delivery {
    bool ok = false;
    double seconds = 0;
    size_t peakAbove = 0;  // peak working set above the start of the delivery
};

// The player window's road: the package's movie block as a stream over the
// file, through the control and the content manager into the runtime; done
// when the runtime has the movie's one frame.
Delivery Deliver(flashhost::TFlashPlayerControl& control, const std::wstring& package)
{
    Delivery d;
    // The runtime loads asynchronously and reports the whole movie with ready state 4;
    // until then the previous movie may still answer for the frame count.
    bool complete = false;
    control.OnReadyStateChange = [&](flashhost::TFlashPlayerControl&, long state) { complete = complete || state == 4; };
    const size_t before = Memory().WorkingSetSize;
    const auto start = Clock::now();
    LoadPackagedMovie(package, [&](std::unique_ptr<flashrt::TStream> movie) {
        control.LoadMovieFromStreamNoCopy(std::move(movie));
    });
    // A runtime may bind on its own threads: wait for the movie, up to a deadline.
    const auto deadline = start + std::chrono::minutes(2);
    while (!complete && Clock::now() < deadline) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    d.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    d.ok = complete && control.TotalFrames() == 1;
    control.OnReadyStateChange = nullptr;
    const size_t peak = Memory().PeakWorkingSetSize;
    d.peakAbove = peak > before ? peak - before : 0;
    return d;
}

int RunOne(size_t megabytes)
{
    const size_t size = megabytes << 20;
    OleInitialize(nullptr);
    int status = 0;
    {
        flashrt::FlashRuntimeUnit unit(&flashrt::MakeContentManager);
        {
            std::ifstream in((ExeFolder() + L"flash_standin.dll").c_str(), std::ios::binary);
            std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            flashrt::LoadFlashOCXCodeFromStream(image);
        }
        const std::wstring small = WritePackage(64u << 10);
        const std::wstring package = WritePackage(size);
        {
            swfp::tk::TForm form(nullptr);
            form.SetClientSize(600, 450);
            form.HandleNeeded();
            flashhost::TFlashPlayerControl control(nullptr);
            control.SetParent(&form);
            control.HandleNeeded();
            // The player creates its control before it hands over the movie, so the
            // first-use costs of the binding machinery are paid by then; a small
            // movie first pays them here.
            if (!Deliver(control, small).ok) status = 1;
            // The peak so far (start-up, the small movie) must lie below the measured one.
            const size_t peakBefore = Memory().PeakWorkingSetSize;
            const Delivery d = Deliver(control, package);
            if (!d.ok) {
                std::printf("%zu MB packaged: delivery FAILED (the stand-in has %ld frames)\n", megabytes,
                            control.TotalFrames());
                status = 1;
            } else {
                const bool peakMeasured = Memory().PeakWorkingSetSize > peakBefore;
                // The runtime's own copy is one movie; what is above it is the host's.
                const double beyond = (static_cast<double>(d.peakAbove) - static_cast<double>(size)) / size;
                std::printf("%zu MB packaged: delivery %.2f GB/s; host peak beyond the runtime's copy %.2f x movie%s\n",
                            megabytes, static_cast<double>(size) / d.seconds / 1e9, beyond < 0 ? 0.0 : beyond,
                            peakMeasured ? "" : " (peak below the earlier peak: not measured)");
                // However the movie travels, the runtime fills fresh memory with its own copy;
                // on machines where first touches are dear, that alone bounds the delivery.
                const double floor = FirstTouchSeconds(size);
                std::printf("  the runtime's copy alone (fresh memory, written once): %.2f GB/s; delivery / that: %.2f\n",
                            static_cast<double>(size) / floor / 1e9, d.seconds / floor);
            }
        }
        DeleteFileW(small.c_str());
        DeleteFileW(package.c_str());
    }
    OleUninitialize();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) return RunOne(static_cast<size_t>(std::stoul(argv[1])));
    std::printf("packaged movie delivery (goals: >= 1 GB/s from 16 MB; host peak <= 0.25 x movie)\n");
    std::fflush(stdout);
    int status = 0;
    for (int mb : {1, 16, 128, 512}) {
        std::wstring command = L"\"" + ExePath() + L"\" " + std::to_wstring(mb);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            std::printf("  could not start the %d MB run\n", mb);
            status = 1;
            continue;
        }
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        if (code != 0) status = 1;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return status;
}
