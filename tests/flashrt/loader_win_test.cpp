// The in-memory loader mapping the test module under Wine, static TLS of a module
// built the way MSVC builds them (native TLS), and the seven substitutes the
// module's imports reach. The stand-in runtime's in-memory test
// drives the substitutes through a movie's life.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "flashrt/dll_loader_win.h"
#include "flashrt/flash_ocx_loader_win.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/pe_image.h"
#include "win_test_support.h"
#include "winbase/handles_win.h"

extern "C" int ExeTlsValue(void);
extern "C" void SetExeTlsValue(int value);

using namespace flashrt;
using namespace loader_test;

namespace {

std::vector<std::string> g_events;
void Record(const char* event) { g_events.emplace_back(event); }

TEST(TDLLLoader, MapsAtThePreferredBaseRunsTheTlsCallbacksFirstAndTheModuleFindsItsOwnImage)
{
    const auto image = TestModuleImage();
    TDLLLoader loader(image);
    ASSERT_NE(loader.ImageBase(), nullptr);
    // Its preferred base was free: the module lies there, as the system loader would put it.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(loader.ImageBase()), pe::ParseHeaders(image, pe::Layout::File).imageBase);
    EXPECT_TRUE(Export<bool (*)()>(loader, "AbsoluteAddressIsFixedUp")());
    // The module sees its own image as its instance.
    EXPECT_EQ(Export<HINSTANCE (*)()>(loader, "ModuleInstance")(), loader.ImageBase());
    EXPECT_EQ(loader.GetProcAddress("NoSuchExport"), nullptr);
    EXPECT_EQ(loader.GetProcAddress(MAKEINTRESOURCEA(1)), nullptr) << "by name only";
    // Forwarded exports resolve in their library.
    EXPECT_EQ(loader.GetProcAddress("ForwardedTickCount"),
              ::GetProcAddress(GetModuleHandleA("KERNEL32.dll"), "GetTickCount"));
    EXPECT_EQ(GetModuleHandleA("flashrt_test_module.dll"), nullptr) << "the system loader never heard of it";
    EXPECT_THROW({ TDLLLoader other(ReadBesideProgram("pe32_fixture.dll")); }, pe::PeError) << "a 32-bit library";

    const auto order = Export<int (*)(int)>(loader, "AttachOrder");
    EXPECT_GT(order(0), 0) << "TLS callback not run";
    EXPECT_GT(order(1), order(0)) << "the entry routine ran before the TLS callback";

    // The RtlPcToFileHeader substitute finds the mapped image and passes other addresses on.
    const auto baseOf = Export<void* (*)(int)>(loader, "ImageBaseOf");
    EXPECT_EQ(baseOf(0), loader.ImageBase()) << "its own code";
    EXPECT_EQ(baseOf(1), loader.ImageBase()) << "its own data";
    EXPECT_EQ(baseOf(2), static_cast<void*>(GetModuleHandleA("kernel32.dll"))) << "a system library";

    // Its unwind data is registered: an exception thrown and caught inside works, twice.
    const auto throwAndCatch = Export<int (*)(int)>(loader, "ThrowAndCatch");
    EXPECT_EQ(throwAndCatch(5), 6);
    EXPECT_EQ(throwAndCatch(41), 42);
}

TEST(TDLLLoader, DetachRunsBeforeTheLibrariesAreFreedInLoadOrder)
{
    g_events.clear();
    ASSERT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "the probe library must be loaded by the module only";
    {
        TDLLLoader loader(TestModuleImage());
        Export<void (*)(void (*)(const char*))>(loader, "SetRecorder")(&Record);
        EXPECT_NE(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr);
    }
    EXPECT_EQ(g_events, (std::vector<std::string>{"detach:dependency-loaded", "tls-detach"}))
        << "TLS callbacks detach after the entry routine";
    EXPECT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "the module's library was not freed";
}

struct TlsModule {
    explicit TlsModule(std::span<const uint8_t> image) : loader(image) {}
    TDLLLoader loader;
    int (*const value)() = Export<int (*)()>(loader, "TlsValue");
    void (*const set)(int) = Export<void (*)(int)>(loader, "SetTlsValue");
    int (*const zeroFilled)() = Export<int (*)()>(loader, "TlsZeroFilled");
    LONG (*const notifications)(int) = Export<LONG (*)(int)>(loader, "ThreadNotifications");
};

// What a thread sees of the module's TLS (its value, whether its zero fill is
// zero) and of the program's own.
struct Seen {
    int value = 0, zeroFilled = 0, exe = 0;
};

TEST(StaticTls, EveryThreadGetsItsOwnCopyOfTheModulesInitialData)
{
    const auto image = ReadBesideProgram("flashrt_tls_module.dll");
    SetExeTlsValue(777);
    std::optional<TlsModule> m;
    const auto see = [&] { return Seen{m->value(), m->zeroFilled(), ExeTlsValue()}; };
    // A thread that exists before the module is mapped. It and this thread take
    // turns, each handing the turn over and waiting for it to come back.
    const swfp::win::UniqueHandle mainTurn(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const swfp::win::UniqueHandle beforeTurn(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const auto handOver = [](HANDLE to, HANDLE back) { SignalObjectAndWait(to, back, INFINITE, FALSE); };
    Seen mapped, afterLater;
    int afterUnload = 0;
    std::thread before([&] {
        SetExeTlsValue(555);
        handOver(mainTurn.get(), beforeTurn.get());
        mapped = see();
        m->set(2);
        handOver(mainTurn.get(), beforeTurn.get());
        afterLater = see();
        handOver(mainTurn.get(), beforeTurn.get());
        afterUnload = ExeTlsValue();
    });
    WaitForSingleObject(mainTurn.get(), INFINITE);
    m.emplace(image);
    EXPECT_EQ(m->value(), 1234) << "the mapping thread";
    EXPECT_TRUE(m->zeroFilled());
    m->set(1);
    handOver(beforeTurn.get(), mainTurn.get());
    EXPECT_EQ(mapped.value, 1234) << "a thread that existed before mapping";
    EXPECT_TRUE(mapped.zeroFilled);

    const LONG attached = m->notifications(0), detached = m->notifications(1);
    Seen later;
    std::thread([&] {
        later = see();
        m->set(3);
    }).join();
    EXPECT_EQ(later.value, 1234) << "a thread started after mapping";
    EXPECT_TRUE(later.zeroFilled);
    EXPECT_EQ(later.exe, 777);
    EXPECT_EQ(m->notifications(0), attached + 1) << "thread attach callback";
    EXPECT_EQ(m->notifications(1), detached + 1) << "thread detach callback";

    // Each thread kept its own value, and the program's own TLS is untouched.
    handOver(beforeTurn.get(), mainTurn.get());
    EXPECT_EQ(m->value(), 1);
    EXPECT_EQ(afterLater.value, 2);
    EXPECT_EQ(ExeTlsValue(), 777);
    EXPECT_EQ(afterLater.exe, 555);

    m.reset();
    SetEvent(beforeTurn.get());
    before.join();
    // Unloaded: the program's TLS and new threads are as before.
    EXPECT_EQ(ExeTlsValue(), 777);
    EXPECT_EQ(afterUnload, 555);
    int exeOnNewThread = 0;
    std::thread([&] { exeOnNewThread = ExeTlsValue(); }).join();
    EXPECT_EQ(exeOnNewThread, 777);
}

class ImportHooks : public ::testing::Test {
protected:
    const ImportHookState hookState;
    TFlashOCXLoader loader{TestModuleImage()};
    const HINSTANCE instance = static_cast<HINSTANCE>(loader.ImageBase());
};

TEST_F(ImportHooks, SevenImportsReachTheSubstitutesAndOthersResolveNormally)
{
    const char* names[] = {"CreateURLMoniker", "RegisterClassExA", "CreateWindowExA", "LoadCursorA",
                           "LoadMenuA",        "waveOutWrite",     "CreateFileA"};
    const auto imported = Export<void* (*)(int)>(loader, "ImportedAddress");
    for (int i = 0; i < 7; ++i) {
        void* substitute = reinterpret_cast<void*>(FlashImportSubstitute("any.dll", names[i]));
        ASSERT_NE(substitute, nullptr) << names[i];
        EXPECT_EQ(imported(i), substitute) << names[i];
    }
    EXPECT_EQ(imported(7), reinterpret_cast<void*>(::GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(FlashImportSubstitute("KERNEL32.dll", MAKEINTRESOURCEA(7)), nullptr);
}

TEST_F(ImportHooks, CursorsComeFromTheModuleWithTheArrowAsFallback)
{
    const auto loadCursor = Export<HCURSOR (*)(HINSTANCE, LPCSTR)>(loader, "LoadModuleCursor");
    const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    const swfp::win::UniqueCursor own(loadCursor(instance, MAKEINTRESOURCEA(200)));
    ASSERT_TRUE(own);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(own.get(), &info));
    const swfp::win::UniqueGdiObject<HBITMAP> mask(info.hbmMask), color(info.hbmColor);
    EXPECT_FALSE(info.fIcon) << "a cursor, not an icon";
    EXPECT_EQ(info.xHotspot, 3u);
    EXPECT_EQ(info.yHotspot, 5u);
    EXPECT_EQ(loadCursor(instance, MAKEINTRESOURCEA(201)), arrow) << "absent id";
    EXPECT_EQ(loadCursor(instance, "NAMEDCURSOR"), arrow) << "named cursors are never in the image";
}

}  // namespace
