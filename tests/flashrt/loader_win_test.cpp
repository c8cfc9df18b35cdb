// The in-memory loader mapping the test module under Wine.
#include <gtest/gtest.h>

#include <algorithm>
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
    const VirtualRange taken(VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(headers.imageBase)),
                                          headers.sizeOfImage, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(taken, nullptr) << "the preferred base is free in a fresh test process";
    TDLLLoader loader(image);
    ASSERT_NE(loader.ImageBase(), nullptr);
    EXPECT_NE(loader.ImageBase(), taken.get());
    EXPECT_TRUE(Export<bool (*)()>(loader, "AbsoluteAddressIsFixedUp")());
    EXPECT_EQ(Export<HINSTANCE (*)()>(loader, "ModuleInstance")(), loader.ImageBase());
    EXPECT_EQ(Export<int (*)(int)>(loader, "ThrowAndCatch")(41), 42) << "unwinding works at the new place";
}

TEST(TDLLLoader, DetachRunsBeforeTheLibrariesAreFreedInLoadOrder)
{
    const auto image = TestModuleImage();
    g_events.clear();
    ASSERT_EQ(GetModuleHandleA("flashrt_probe_dep.dll"), nullptr) << "the probe library must be loaded by the module only";
    {
        TDLLLoader loader(image);
        Export<void (*)(void (*)(const char*))>(loader, "SetRecorder")(&Record);
        const HMODULE probe = GetModuleHandleA("flashrt_probe_dep.dll");
        ASSERT_NE(probe, nullptr);
        EXPECT_NE(std::find(loader.Modules().begin(), loader.Modules().end(), probe), loader.Modules().end());
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
