// The in-memory loader mapping the test module under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "flashrt/dll_loader_win.h"
#include "flashrt/pe_image.h"
#include "flashrt/pe_mapping.h"
#include "win_test_support.h"

using namespace flashrt;
using namespace loader_test;

namespace {

std::vector<std::string> g_events;
void Record(const char* event) { g_events.emplace_back(event); }

// Records what the loader offers to the hook and replaces one import.
class RecordingLoader : public TDLLLoader {
public:
    explicit RecordingLoader(std::span<const uint8_t> image) : TDLLLoader(DeferMapping{}) { Map(image); }
    std::vector<std::string> offered;
    static DWORD WINAPI FakeTickCount() { return 12345; }

protected:
    FARPROC GetImportHook(LPCSTR libraryName, LPCSTR procName) override
    {
        if (reinterpret_cast<uintptr_t>(procName) < 0x10000) {
            offered.push_back(std::string(libraryName) + "#" + std::to_string(reinterpret_cast<uintptr_t>(procName)));
            return nullptr;
        }
        offered.push_back(std::string(libraryName) + "!" + procName);
        return std::string(procName) == "GetTickCount"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeTickCount))
                   : nullptr;
    }
};

std::string ModuleName(HMODULE module)
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    std::string name(path, n);
    return name.substr(name.find_last_of("\\/") + 1);
}

class MappedModule : public ::testing::Test {
protected:
    const std::vector<uint8_t> image = TestModuleImage();
    TDLLLoader loader{image};
};

TEST_F(MappedModule, LiesAtItsPreferredBaseAndItsExportsRun)
{
    ASSERT_NE(loader.ImageBase(), nullptr);
    // Its preferred base was free: the module lies there, as the system loader would put it.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(loader.ImageBase()), pe::ParseHeaders(image, pe::Layout::File).imageBase);
    EXPECT_TRUE(Export<bool (*)()>(loader, "AbsoluteAddressIsFixedUp")());
    // The module sees its own image as its instance.
    EXPECT_EQ(Export<HINSTANCE (*)()>(loader, "ModuleInstance")(), loader.ImageBase());
    EXPECT_EQ(Export<int (*)(int, int)>(loader, "AddNumbers")(2, 40), 42);
    EXPECT_EQ(loader.GetProcAddress("addnumbers"), nullptr) << "names compare case-sensitively";
    EXPECT_EQ(loader.GetProcAddress("NoSuchExport"), nullptr);
    EXPECT_EQ(loader.GetProcAddress(MAKEINTRESOURCEA(1)), nullptr) << "by name only";
    // Forwarded exports resolve in their library.
    EXPECT_EQ(loader.GetProcAddress("ForwardedTickCount"),
              ::GetProcAddress(GetModuleHandleA("KERNEL32.dll"), "GetTickCount"));
    // The system loader never heard of it.
    EXPECT_EQ(GetModuleHandleA("flashrt_test_module.dll"), nullptr);
    HMODULE self = nullptr;
    EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                    static_cast<LPCSTR>(loader.ImageBase()), &self));
}

TEST_F(MappedModule, AnExceptionThrownAndCaughtInsideTheModuleWorks)
{
    const auto throwAndCatch = Export<int (*)(int)>(loader, "ThrowAndCatch");
    EXPECT_EQ(throwAndCatch(5), 6);
    EXPECT_EQ(throwAndCatch(-3), -1);
    EXPECT_EQ(throwAndCatch(41), 42) << "a second throw after the first one";
}

TEST_F(MappedModule, RtlPcToFileHeaderFindsTheMappedImageAndPassesOtherAddressesOn)
{
    const auto baseOf = Export<void* (*)(int)>(loader, "ImageBaseOf");
    EXPECT_EQ(baseOf(0), loader.ImageBase()) << "its own code";
    EXPECT_EQ(baseOf(1), loader.ImageBase()) << "its own data";
    EXPECT_EQ(baseOf(2), static_cast<void*>(GetModuleHandleA("kernel32.dll"))) << "a system library";
}

TEST_F(MappedModule, TlsCallbacksRunBeforeTheEntryRoutine)
{
    const auto order = Export<int (*)(int)>(loader, "AttachOrder");
    EXPECT_GT(order(0), 0) << "TLS callback not run";
    EXPECT_GT(order(1), order(0)) << "the entry routine ran before the TLS callback";
}

TEST(TDLLLoader, AModuleWhosePreferredBaseIsTakenIsRelocated)
{
    const auto image = TestModuleImage();
    const pe::PeHeaders headers = pe::ParseHeaders(image, pe::Layout::File);
    const auto release = [](void* range) { VirtualFree(range, 0, MEM_RELEASE); };
    const std::unique_ptr<void, decltype(release)> taken(
        VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(headers.imageBase)), headers.sizeOfImage,
                     MEM_RESERVE, PAGE_NOACCESS),
        release);
    ASSERT_NE(taken, nullptr) << "the preferred base is free in a fresh test process";
    TDLLLoader loader(image);
    ASSERT_NE(loader.ImageBase(), nullptr);
    EXPECT_NE(loader.ImageBase(), taken.get());
    EXPECT_TRUE(Export<bool (*)()>(loader, "AbsoluteAddressIsFixedUp")());
    EXPECT_EQ(Export<HINSTANCE (*)()>(loader, "ModuleInstance")(), loader.ImageBase());
    EXPECT_EQ(Export<int (*)(int)>(loader, "ThrowAndCatch")(41), 42) << "unwinding works at the new place";
}

TEST(TDLLLoader, EveryImportIsOfferedToTheHookFirst)
{
    const auto image = TestModuleImage();
    RecordingLoader loader(image);
    auto has = [&](const std::string& entry) {
        return std::find(loader.offered.begin(), loader.offered.end(), entry) != loader.offered.end();
    };
    EXPECT_TRUE(has("flashrt_probe_dep.dll!probe_value"));
    EXPECT_TRUE(has("USER32.dll!RegisterClassExA"));
    EXPECT_TRUE(has("WINMM.dll!waveOutWrite"));
    EXPECT_TRUE(has("urlmon.dll!CreateURLMoniker") || has("URLMON.dll!CreateURLMoniker"));
    // The hook's answer is what the module calls.
    const auto imported = Export<void* (*)(int)>(loader, "ImportedAddress");
    EXPECT_EQ(imported(7), reinterpret_cast<void*>(&RecordingLoader::FakeTickCount));
    EXPECT_EQ(imported(1), reinterpret_cast<void*>(::GetProcAddress(GetModuleHandleA("user32.dll"), "RegisterClassExA")));
}

TEST(TDLLLoader, DetachRunsBeforeTheLibrariesAreFreedInLoadOrder)
{
    const auto image = TestModuleImage();
    g_events.clear();
    ASSERT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "the probe library must be loaded by the module only";
    {
        TDLLLoader loader(image);
        Export<void (*)(void (*)(const char*))>(loader, "SetRecorder")(&Record);
        std::vector<std::string> names;
        for (HMODULE m : loader.Modules()) names.push_back(ModuleName(m));
        ASSERT_FALSE(names.empty());
        EXPECT_NE(std::find(names.begin(), names.end(), "flashrt_probe_dep.dll"), names.end());
        EXPECT_NE(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr);
    }
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_EQ(g_events[0], "detach:dependency-loaded");
    EXPECT_EQ(g_events[1], "tls-detach") << "TLS callbacks detach after the entry routine";
    EXPECT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "the module's library was not freed";
}

TEST(TDLLLoader, RejectsDamagedAndForeignImagesWithoutLeaking)
{
    const auto image = TestModuleImage();
    const auto pe32 = ReadBesideProgram("pe32_fixture.dll");
    EXPECT_THROW({ TDLLLoader loader(pe32); }, pe::PeError);
    std::vector<uint8_t> cut(image.begin(), image.begin() + 200);
    EXPECT_THROW({ TDLLLoader loader(cut); }, pe::PeError);
    EXPECT_THROW({ TDLLLoader loader{std::span<const uint8_t>{}}; }, pe::PeError);

    // Damaged imports fail after libraries were loaded: those are given back. The
    // probe library's descriptor gets an address table outside the image.
    const pe::PeHeaders h = pe::ParseHeaders(image, pe::Layout::File);
    const auto mapped = pe::MapToBuffer(h, image);
    uint32_t probe = h.Directory(pe::kImportDirectory).rva;
    while (reinterpret_cast<const char*>(&mapped.at(pe::ReadU32(mapped, probe + 12, "name"))) !=
           std::string("flashrt_probe_dep.dll"))
        probe += 20;
    auto damaged = image;
    for (const pe::Section& s : h.sections)
        if (probe >= s.virtualAddress && probe < s.virtualAddress + s.sizeOfRawData)
            *reinterpret_cast<uint32_t*>(&damaged.at(s.pointerToRawData + probe - s.virtualAddress + 16)) =
                h.sizeOfImage + 0x100;
    ASSERT_NE(damaged, image);
    EXPECT_THROW({ TDLLLoader loader(damaged); }, pe::PeError);
    EXPECT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "a library loaded before the failure leaked";
}

}  // namespace
