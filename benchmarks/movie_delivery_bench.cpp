// Movie delivery from memory: movies of 1, 16 and 128 MB are handed to the control
// as the player hands over its packaged movie, and served through the content
// manager's moniker in 1 MiB chunks. Prints the delivery throughput and the peak
// working set above the start, relative to the movie size. Each size runs in a
// process of its own, so every peak belongs to one movie.
//
//   movie_delivery_bench.exe            runs all sizes (each in a child process)
//   movie_delivery_bench.exe <MB>       one size, in this process
#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "flashhost/FlashPlayerControl_win.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "toolkit/form_win.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

size_t WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

std::wstring ExePath()
{
    wchar_t path[MAX_PATH];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// An uncompressed 550 x 400 movie of exactly `size` bytes: header, one big tag of
// an undefined code (skipped by readers), a ShowFrame and the End tag. Written
// straight into the stream, as the package reader fills its memory stream.
void WriteMovie(flashrt::TMemoryStream& out, size_t size)
{
    const uint8_t header[] = {'F', 'W', 'S', 8, 0, 0, 0, 0,
                              // frame rectangle 0..11000 x 0..8000 twips, 15-bit fields
                              0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,
                              0x00, 24,  // 24 fps
                              1, 0};     // one frame
    const size_t tail = 4;               // ShowFrame + End
    const size_t padding = size - sizeof header - 6 - tail;
    out.SetSize(size);
    out.SetPosition(0);
    out.Write(header, sizeof header);
    const uint16_t tagCode = static_cast<uint16_t>((177u << 6) | 0x3F);
    const uint32_t tagLength = static_cast<uint32_t>(padding);
    out.Write(&tagCode, 2);
    out.Write(&tagLength, 4);
    // Small steps, so the benchmark's own buffer does not show in the peak.
    std::vector<uint8_t> block(64u << 10, 0x5A);
    for (size_t done = 0; done < padding;) {
        const size_t n = std::min(block.size(), padding - done);
        out.Write(block.data(), n);
        done += n;
    }
    const uint8_t end[] = {0x40, 0x00, 0x00, 0x00};
    out.Write(end, sizeof end);
    const uint32_t length = static_cast<uint32_t>(size);
    out.SetPosition(4);
    out.Write(&length, 4);
    out.SetPosition(0);
}

// Takes the chunks as a runtime would, reading each one out of its stream.
class DrainingCallback final : public IBindStatusCallback {
public:
    uint64_t bytes = 0;
    int chunks = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
            *out = static_cast<IBindStatusCallback*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override
    {
        ++chunks;
        ULONG got = 0;
        while (SUCCEEDED(medium->pstm->Read(buffer_, sizeof buffer_, &got)) && got > 0) bytes += got;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    uint8_t buffer_[1 << 16];
};

// A control stand-in for the delivery measurement: registration without a runtime.
class QuietClient final : public flashrt::TContentClient {
public:
    std::wstring ContentBase() override { return {}; }
    bool LoadExternalResource(const std::string&, flashrt::TMemoryStream&) override { return false; }
    void SetMovieURL(const std::wstring&) override {}
    void LoadMovieURL(int32_t, const std::wstring&) override {}
};

struct DeliveryFigures {
    bool ok = false;
    HRESULT result = E_FAIL;
    uint64_t bytes = 0;
    int chunks = 0;
    double copySeconds = 0, deliverySeconds = 0;
    double peakPerMovie = 0;  // peak working set above the start, in movie sizes
};

// Hands a movie of `size` bytes to the content manager as the player does and
// binds its pseudo URL as the runtime does, draining every chunk.
DeliveryFigures DeliverOnce(size_t size)
{
    DeliveryFigures figures;
    const size_t before = WorkingSet();
    const size_t peakBefore = PeakWorkingSet();
    auto package = std::make_unique<flashrt::TMemoryStream>();
    WriteMovie(*package, size);
    QuietClient client;
    auto& manager = flashrt::ContentManager();
    const auto start = Clock::now();
    const std::string path = manager.PutMovieFromStream(client, *package);
    const auto copied = Clock::now();
    Microsoft::WRL::ComPtr<IMoniker> moniker;
    manager.CreateURLMoniker(nullptr, flashrt::AnsiToWide(path).c_str(), &moniker);
    Microsoft::WRL::ComPtr<IBindCtx> bc;
    CreateBindCtx(0, &bc);
    DrainingCallback callback;
    RegisterBindStatusCallback(bc.Get(), &callback, nullptr, 0);
    void* object = nullptr;
    figures.result = moniker->BindToStorage(bc.Get(), nullptr, IID_IStream, &object);
    const auto end = Clock::now();
    RevokeBindStatusCallback(bc.Get(), &callback);
    figures.copySeconds = std::chrono::duration<double>(copied - start).count();
    figures.deliverySeconds = std::chrono::duration<double>(end - copied).count();
    figures.bytes = callback.bytes;
    figures.chunks = callback.chunks;
    const size_t peak = std::max(PeakWorkingSet(), peakBefore);
    figures.peakPerMovie = static_cast<double>(peak > before ? peak - before : 0) / static_cast<double>(size);
    figures.ok = SUCCEEDED(figures.result) && figures.bytes == size;
    manager.ForgetControl(client);
    return figures;
}

int RunOne(size_t megabytes)
{
    const size_t size = megabytes << 20;
    OleInitialize(nullptr);
    int status = 0;
    {
        flashrt::FlashRuntimeUnit unit(&flashrt::MakeContentManager);
        {
            std::wstring dll = ExePath();
            dll = dll.substr(0, dll.find_last_of(L'\\')) + L"\\flash_standin.dll";
            std::ifstream in(dll.c_str(), std::ios::binary);
            std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            flashrt::LoadFlashOCXCodeFromStream(image);
        }

        // The player creates and activates its control before it hands over the
        // movie, so the first-use costs of the platform's binding machinery are
        // paid by then; a small delivery first pays them here.
        if (!DeliverOnce(64u << 10).ok) status = 1;

        // 1. Delivery alone: the package copy, the manager's copy, the chunks.
        const DeliveryFigures delivery = DeliverOnce(size);
        if (!delivery.ok) {
            std::printf("  %4zu MB  delivery FAILED hr=0x%08lx bytes=%llu\n", megabytes,
                        static_cast<unsigned long>(delivery.result), static_cast<unsigned long long>(delivery.bytes));
            status = 1;
        } else {
            std::printf("  %4zu MB  manager's copy %6.1f ms  delivery %6.1f ms = %5.2f GB/s in %d chunks;"
                        " peak working set %.2f x movie\n",
                        megabytes, delivery.copySeconds * 1000, delivery.deliverySeconds * 1000,
                        static_cast<double>(size) / delivery.deliverySeconds / 1e9, delivery.chunks,
                        delivery.peakPerMovie);
        }

        // 2. The whole road into the stand-in runtime, as the player does it.
        {
            swfp::tk::TForm form(nullptr);
            form.SetClientSize(600, 450);
            form.HandleNeeded();
            flashhost::TFlashPlayerControl control(nullptr);
            control.SetParent(&form);
            control.HandleNeeded();
            auto package = std::make_unique<flashrt::TMemoryStream>();
            WriteMovie(*package, size);
            const auto start = Clock::now();
            control.LoadMovieFromStream(*package);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            const long frames = control.TotalFrames();
            std::printf("  %4zu MB  into the stand-in %7.1f ms  %6.2f GB/s  (header %dx%d, frames %ld%s)\n", megabytes,
                        seconds * 1000, static_cast<double>(size) / seconds / 1e9, control.MovieWidth(),
                        control.MovieHeight(), frames, frames == 1 ? "" : ": the stand-in refused the movie");
        }
    }
    OleUninitialize();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) return RunOne(static_cast<size_t>(std::stoul(argv[1])));
    std::printf("movie delivery from memory (goal: >= 1 GB/s, peak <= 3 x movie)\n");
    std::fflush(stdout);
    int status = 0;
    for (int mb : {1, 16, 128}) {
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
