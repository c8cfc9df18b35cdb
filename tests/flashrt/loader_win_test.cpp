// Runtime modules under Wine: the in-memory loader mapping the test module,
// static TLS of a module built the way MSVC builds them (native TLS), the seven
// substitutes the module's imports reach (the stand-in runtime's in-memory test
// drives them through a movie's life), and the providers that map the registered
// module or a module image, which may fault in its entry routine, its
// class-object entry or its factory.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "flashrt/dll_loader_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "flashrt/flash_ocx_loader_win.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/pe_image.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/test_files_win.h"
#include "winbase/handles_win.h"

extern "C" int ExeTlsValue(void);
extern "C" void SetExeTlsValue(int value);

using namespace flashrt;

namespace {

std::vector<uint8_t> ReadBesideProgram(const char* fileName)
{
    auto bytes = swfp::wintest::ReadWholeFile(swfp::wintest::ExeFolder() / fileName);
    if (bytes.empty()) throw std::runtime_error(std::string("missing test file ") + fileName);
    return bytes;
}

std::vector<uint8_t> TestModuleImage() { return ReadBesideProgram("flashrt_test_module.dll"); }

template <typename F, typename Loader>
F Export(Loader& loader, const char* name)
{
    FARPROC p = loader.GetProcAddress(name);
    if (!p) throw std::runtime_error(std::string("the test module does not export ") + name);
    return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

// The window-class map and the sound switch the substitutes need, for a scope.
struct ImportHookState {
    ImportHookState() { StartImportHookState(); }
    ~ImportHookState() { StopImportHookState(); }
    ImportHookState(const ImportHookState&) = delete;
    ImportHookState& operator=(const ImportHookState&) = delete;
};

// The test module imports a library of its own from beside the test program: a
// folder the loader searches only once the program has added it.
const DLL_DIRECTORY_COOKIE g_programFolder = AddDllDirectory(swfp::wintest::ExeFolder().c_str());

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

TEST(Substitutes, SevenImportsReachThemAndCursorsComeFromTheModuleWithTheArrowAsFallback)
{
    const ImportHookState hookState;
    TFlashOCXLoader loader(TestModuleImage());
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

    const auto instance = static_cast<HINSTANCE>(loader.ImageBase());
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

// Registers the Flash class's server path (or none) in this test's Wine prefix
// for its lifetime. The prefix may be shared with other programs that register a
// runtime: whatever registration was there before is put back.
class ServerRegistration {
public:
    explicit ServerRegistration(const std::optional<std::string>& path)
    {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kFlashInprocServerKey);
        if (!path) return;
        const std::wstring wide(path->begin(), path->end());
        if (RegSetKeyValueW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, nullptr, REG_SZ, wide.c_str(),
                            DWORD((wide.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw std::runtime_error("cannot register the Flash class's server");
    }

private:
    swfp::wintest::RegistryKeyRestorer earlier_{HKEY_CLASSES_ROOT, kFlashInprocServerKey};
};

HRESULT CreateUnknown(TFlashOCXCodeProvider& provider, IUnknown** out)
{
    *out = reinterpret_cast<IUnknown*>(0xDEADBEEF);
    return provider.CreateInstance(IID_IUnknown, reinterpret_cast<void**>(out));
}

// The provider reads the registered path into room for 260 characters, the
// version query into room for 259: copies of the test module at paths of each
// length show where each stops.
TEST(RegisteredModule, IsMappedWhenFirstAskedFromAPathOfUpTo260Characters)
{
    const ImportHookState hookState;
    const swfp::wintest::TempFolder folder;
    const std::string base = folder.Path().string() + "\\";
    auto pathOf = [&](size_t length) { return base + std::string(length - base.size() - 4, 'm') + ".dll"; };
    const auto image = TestModuleImage();
    for (const std::string& path : {base + "short.dll", pathOf(259), pathOf(260), pathOf(261)})
        swfp::wintest::WriteWholeFile(std::wstring(path.begin(), path.end()), image);
    const struct {
        std::optional<std::string> path;
        uint32_t version;
        HRESULT created;
    } cases[] = {
        {std::nullopt, 0, E_FAIL},
        {base + "missing.dll", 0, E_FAIL},
        {(swfp::wintest::ExeFolder() / "flashrt_probe_dep.dll").string(), 0, E_FAIL},  // no class-object entry
        {base + "short.dll", 0x0A002D02u, S_OK},
        {pathOf(259), 0x0A002D02u, S_OK},
        {pathOf(260), 0, S_OK},
        {pathOf(261), 0, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path ? *c.path + ": " + std::to_string(c.path->size()) + " characters" : "no registration");
        ServerRegistration server(c.path);
        EXPECT_EQ(GetInstalledFlashVersion(), c.version);

        TFlashOCXCodeProviderBasedOnSystemInstalledOCX provider;
        EXPECT_EQ(provider.Loader(), nullptr) << "nothing is mapped before an object is asked for";
        IUnknown* object = nullptr;
        EXPECT_EQ(CreateUnknown(provider, &object), c.created);
        EXPECT_EQ(provider.HasEntry(), c.created == S_OK);
        if (c.created != S_OK) {
            EXPECT_EQ(object, nullptr);
            continue;
        }
        ASSERT_NE(object, nullptr);
        ASSERT_NE(object, reinterpret_cast<IUnknown*>(0xDEADBEEF));
        EXPECT_EQ(object->Release(), 0u);
        // The factory's refusal is reported, and the out-slot is cleared.
        void* dispatch = reinterpret_cast<void*>(0xDEADBEEF);
        EXPECT_EQ(provider.CreateInstance(IID_IDispatch, &dispatch), E_NOINTERFACE);
        EXPECT_EQ(dispatch, nullptr);
    }
}

struct FaultCase {
    const char* fault;
    bool mapped;  // whether the module survives its mapping
};

class FaultyModule : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultyModule, LeavesAnEmptyProviderAndTheProcessGoesOn)
{
    const ImportHookState hookState;
    const std::string fault = GetParam().fault;
    const swfp::wintest::ScopedEnvironmentVariable faultVariable(L"FAULTY_MODULE_FAULT", {fault.begin(), fault.end()});
    TFlashOCXCodeProviderBasedOnStream provider(ReadBesideProgram("flashrt_faulty_module.dll"));
    EXPECT_EQ(provider.Loader() != nullptr, GetParam().mapped);
    for (int attempt = 0; attempt < 2; ++attempt) {
        IUnknown* object = nullptr;
        EXPECT_EQ(CreateUnknown(provider, &object), E_FAIL);
        EXPECT_EQ(object, nullptr);
        EXPECT_FALSE(provider.HasEntry()) << "a module that faulted is not called again";
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyModule,
                         ::testing::Values(FaultCase{"entry-access", false}, FaultCase{"entry-illegal", false},
                                           FaultCase{"class-object", true}, FaultCase{"factory", true}),
                         [](const auto& info) {
                             std::string name = info.param.fault;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
