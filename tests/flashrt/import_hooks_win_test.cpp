// The seven substitutes, reached through the imports of the test module.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <urlmon.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "flashrt/flash_ocx_loader_win.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/string_map.h"
#include "win_test_support.h"
#include "winbase/handles_win.h"

using namespace flashrt;
using namespace loader_test;

namespace {

class FakeRedirector : public ContentRedirector {
public:
    bool TryCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker, HRESULT* result) override
    {
        urls.emplace_back(url);
        monikerClearedFirst = moniker && *moniker == nullptr;
        (void)context;
        if (wcsncmp(url, L"pseudo:", 7) != 0) return false;
        *result = 0x00001234;
        return true;
    }
    bool TryCreateFileA(LPCSTR fileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE,
                        HANDLE* result) override
    {
        files.emplace_back(fileName);
        if (strncmp(fileName, "Z:\\FromMemory\\", 14) != 0) return false;
        *result = reinterpret_cast<HANDLE>(0x4321);
        return true;
    }
    std::vector<std::wstring> urls;
    std::vector<std::string> files;
    bool monikerClearedFirst = false;
};

class ImportHooks : public ::testing::Test {
protected:
    ~ImportHooks() override { SetContentRedirector(nullptr); }
    template <typename F>
    F Fn(const char* name)
    {
        return Export<F>(loader, name);
    }
    const ImportHookState hookState;
    TFlashOCXLoader loader{TestModuleImage()};
    const HINSTANCE instance = static_cast<HINSTANCE>(loader.ImageBase());
};

TEST_F(ImportHooks, SevenImportsReachTheSubstitutesAndOthersResolveNormally)
{
    const char* names[] = {"CreateURLMoniker", "RegisterClassExA", "CreateWindowExA", "LoadCursorA",
                           "LoadMenuA",        "waveOutWrite",     "CreateFileA"};
    const auto imported = Fn<void* (*)(int)>("ImportedAddress");
    for (int i = 0; i < 7; ++i) {
        void* substitute = reinterpret_cast<void*>(FlashImportSubstitute("any.dll", names[i]));
        ASSERT_NE(substitute, nullptr) << names[i];
        EXPECT_EQ(imported(i), substitute) << names[i];
    }
    EXPECT_EQ(imported(7), reinterpret_cast<void*>(::GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(FlashImportSubstitute("KERNEL32.dll", "createfilea"), nullptr);
    EXPECT_EQ(FlashImportSubstitute("KERNEL32.dll", MAKEINTRESOURCEA(7)), nullptr);
}

TEST_F(ImportHooks, ClassesAreRenamedAndBothRequestedNamesMapToTheNewOne)
{
    const ATOM atom = Fn<ATOM (*)()>("RegisterTwoClasses")();
    ASSERT_NE(atom, 0);
    const std::string newName = FlashWindowClassName();
    EXPECT_EQ(newName.rfind("FlashPlayerControl_", 0), 0u);
    std::string mapped;
    ASSERT_TRUE(WindowClassMap()->Find("ModuleClassOne", mapped));
    EXPECT_EQ(mapped, newName);
    ASSERT_TRUE(WindowClassMap()->Find("moduleclasstwo", mapped));
    EXPECT_EQ(mapped, newName);
    WNDCLASSEXA info{sizeof info};
    EXPECT_TRUE(GetClassInfoExA(HostInstance(), newName.c_str(), &info)) << "registered for the host instance";
    EXPECT_FALSE(GetClassInfoExA(instance, "ModuleClassOne", &info));

    const auto create = Fn<HWND (*)(LPCSTR)>("CreateWindowOfClass");
    for (LPCSTR requested : {static_cast<LPCSTR>("ModuleClassOne"), static_cast<LPCSTR>("MODULECLASSTWO"),
                             static_cast<LPCSTR>(MAKEINTRESOURCEA(atom))}) {
        HWND window = create(requested);
        ASSERT_NE(window, nullptr);
        char className[256] = {};
        GetClassNameA(window, className, sizeof className);
        EXPECT_EQ(newName, className);
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), HostInstance());
        DestroyWindow(window);
    }
}

TEST_F(ImportHooks, CursorsComeFromTheModuleWithTheArrowAsFallback)
{
    const auto load = Fn<HCURSOR (*)(HINSTANCE, LPCSTR)>("LoadModuleCursor");
    const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_EQ(load(nullptr, MAKEINTRESOURCEA(32512)), arrow);
    const swfp::win::UniqueCursor own(load(instance, MAKEINTRESOURCEA(200)));
    ASSERT_TRUE(own);
    EXPECT_NE(own.get(), arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(own.get(), &info));
    const swfp::win::UniqueGdiObject<HBITMAP> mask(info.hbmMask), color(info.hbmColor);
    EXPECT_FALSE(info.fIcon) << "a cursor, not an icon";
    EXPECT_EQ(info.xHotspot, 3u);
    EXPECT_EQ(info.yHotspot, 5u);
    EXPECT_EQ(load(instance, MAKEINTRESOURCEA(201)), arrow) << "absent id";
    EXPECT_EQ(load(instance, "NAMEDCURSOR"), arrow) << "named cursors are never in the image";
}

TEST_F(ImportHooks, MenusComeFromTheModuleWithoutFallback)
{
    const auto load = Fn<HMENU (*)(HINSTANCE, LPCSTR)>("LoadModuleMenu");
    HMENU menu = load(instance, MAKEINTRESOURCEA(300));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), 301u);
    EXPECT_EQ(GetMenuItemID(popup, 1), 302u);
    DestroyMenu(menu);
    EXPECT_EQ(load(instance, MAKEINTRESOURCEA(301)), nullptr);
    EXPECT_EQ(load(nullptr, MAKEINTRESOURCEA(300)), nullptr);
}

TEST_F(ImportHooks, SoundOffSilencesTheSubmittedBufferOnly)
{
    const auto submit = Fn<MMRESULT (*)(HWAVEOUT, WAVEHDR*)>("SubmitWave");
    // No audio device is needed: the buffer is silenced before the platform sees the call.
    std::vector<char> memory(64, 0x55);
    WAVEHDR header{};
    header.lpData = memory.data();
    header.dwBufferLength = 48;  // the tail beyond the buffer length must stay
    const MMRESULT platform = waveOutWrite(nullptr, &header, sizeof header);

    EXPECT_TRUE(GetFlashSoundEnabled());
    EXPECT_EQ(submit(nullptr, &header), platform);
    EXPECT_EQ(std::count(memory.begin(), memory.end(), 0x55), 64) << "sound on must leave the buffer alone";

    SetFlashSoundEnabled(false);
    EXPECT_FALSE(GetFlashSoundEnabled());
    EXPECT_EQ(submit(nullptr, &header), platform);
    EXPECT_EQ(std::count(memory.begin(), memory.begin() + 48, 0), 48);
    EXPECT_EQ(std::count(memory.begin() + 48, memory.end(), 0x55), 16);

    SetFlashSoundEnabled(true);
    std::fill(memory.begin(), memory.end(), 0x66);
    submit(nullptr, &header);
    EXPECT_EQ(std::count(memory.begin(), memory.end(), 0x66), 64) << "switching on affects the next submission";
}

TEST_F(ImportHooks, UrlAndFileRequestsGoToTheRedirectorThenThePlatform)
{
    FakeRedirector redirector;
    SetContentRedirector(&redirector);
    const auto makeMoniker = Fn<HRESULT (*)(LPCWSTR, IMoniker**)>("MakeMoniker");
    IMoniker* moniker = reinterpret_cast<IMoniker*>(0xDEADBEEF);
    EXPECT_EQ(makeMoniker(L"pseudo:movie", &moniker), 0x00001234);
    EXPECT_TRUE(redirector.monikerClearedFirst);
    EXPECT_EQ(moniker, nullptr);

    moniker = reinterpret_cast<IMoniker*>(0xDEADBEEF);
    EXPECT_EQ(makeMoniker(L"http://example.invalid/movie.swf", &moniker), S_OK) << "falls through to the platform";
    ASSERT_NE(moniker, nullptr);
    ASSERT_NE(moniker, reinterpret_cast<IMoniker*>(0xDEADBEEF));
    moniker->Release();
    ASSERT_EQ(redirector.urls.size(), 2u);
    EXPECT_EQ(redirector.urls[1], L"http://example.invalid/movie.swf");

    const auto open = Fn<HANDLE (*)(LPCSTR)>("OpenFileForReading");
    EXPECT_EQ(open("Z:\\FromMemory\\1\\movie.swf"), reinterpret_cast<HANDLE>(0x4321));
    const std::string self = BesideProgram("flashrt_test_module.dll");
    EXPECT_TRUE(swfp::win::UniqueFile(open(self.c_str()))) << "falls through to the platform";
    ASSERT_EQ(redirector.files.size(), 2u);
    EXPECT_EQ(redirector.files[1], self);

    SetContentRedirector(nullptr);
    EXPECT_TRUE(swfp::win::UniqueFile(open(self.c_str()))) << "without a redirector the platform answers";
    EXPECT_EQ(redirector.files.size(), 2u);
}

TEST(SoundSwitch, OutsideTheRuntimeUnitItReadsOnAndRefusesChanges)
{
    EXPECT_TRUE(GetFlashSoundEnabled());
    EXPECT_THROW(SetFlashSoundEnabled(false), std::logic_error);
    EXPECT_EQ(WindowClassMap(), nullptr);
}

}  // namespace
