// Module providers: from the registered module, from a module image, from nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "flashrt/import_hooks_win.h"
#include "win_test_support.h"
#include "winbase/handles_win.h"

using namespace flashrt;
using namespace loader_test;

namespace {

const wchar_t* const kClassKey = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";

std::optional<std::wstring> ServerPath()
{
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool RegisterServer(const std::wstring& path)
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kFlashInprocServerKey);
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, nullptr, REG_SZ, path.c_str(),
                           DWORD((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Registers the Flash class's server path (or none) in this test's Wine prefix
// for its lifetime. The prefix may be shared with other programs that register a
// runtime: whatever registration was there before is put back, whatever the
// test's assertions do.
class ServerRegistration {
public:
    explicit ServerRegistration(const std::optional<std::string>& path)
    {
        swfp::win::UniqueRegKey classKey;
        hadClassKey_ = RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, KEY_READ, classKey.put()) == ERROR_SUCCESS;
        if (path && !RegisterServer(std::wstring(path->begin(), path->end())))
            throw std::runtime_error("cannot register the Flash class's server");
        if (!path) RegDeleteTreeW(HKEY_CLASSES_ROOT, kFlashInprocServerKey);
    }
    ~ServerRegistration()
    {
        if (saved_) RegisterServer(*saved_);
        else RegDeleteTreeW(HKEY_CLASSES_ROOT, hadClassKey_ ? kFlashInprocServerKey : kClassKey);
    }
    ServerRegistration(const ServerRegistration&) = delete;
    ServerRegistration& operator=(const ServerRegistration&) = delete;

private:
    const std::optional<std::wstring> saved_ = ServerPath();
    bool hadClassKey_ = false;
};

class Providers : public ::testing::Test {
protected:
    ImportHookState hookState;
};

HRESULT CreateUnknown(TFlashOCXCodeProvider& provider, IUnknown** out)
{
    *out = reinterpret_cast<IUnknown*>(0xDEADBEEF);
    return provider.CreateInstance(IID_IUnknown, reinterpret_cast<void**>(out));
}

// The provider reads the registered path into room for 260 characters, the
// version query into room for 259: copies of the test module at paths of each
// length show where each stops.
TEST_F(Providers, TheRegisteredModuleIsMappedWhenFirstAskedFromAPathOfUpTo260Characters)
{
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
        {base + "short.dll", 0x0A002D02u, S_OK},
        {pathOf(259), 0x0A002D02u, S_OK},
        {pathOf(260), 0, S_OK},
        {pathOf(261), 0, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path ? std::to_string(c.path->size()) + " characters" : "no registration");
        ServerRegistration server(c.path);
        EXPECT_EQ(GetInstalledFlashVersion(), c.version);
        EXPECT_EQ(IsFlashInstalled(), c.version != 0);

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
    EXPECT_EQ(GetModuleHandleA("short.dll"), nullptr) << "never through the system loader";
}

TEST_F(Providers, StreamProvidersFromNothingOrGarbageFailEveryCreation)
{
    TFlashOCXCodeProviderBasedOnStream nothing{std::span<const uint8_t>()};
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateUnknown(nothing, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(nothing.Loader(), nullptr);

    const std::vector<uint8_t> garbage(4096, 0x4D);
    TFlashOCXCodeProviderBasedOnStream damaged(garbage);
    EXPECT_EQ(CreateUnknown(damaged, &object), E_FAIL);
    EXPECT_EQ(damaged.Loader(), nullptr);

    // A module without the class-object entry maps but cannot create.
    const auto other = ReadBesideProgram("flashrt_probe_dep.dll");
    TFlashOCXCodeProviderBasedOnStream noEntry(other);
    EXPECT_NE(noEntry.Loader(), nullptr);
    EXPECT_EQ(CreateUnknown(noEntry, &object), E_FAIL);
}

TEST_F(Providers, TheRuntimeUnitStartsWithTheRegisteredModuleAndTheStreamReplacesIt)
{
    {
        ServerRegistration server(BesideProgram("flashrt_test_module.dll"));
        FlashRuntimeUnit unit(MakeContentManager);
        ASSERT_NE(WindowClassMap(), nullptr);
        EXPECT_TRUE(GetFlashSoundEnabled());
        EXPECT_NE(GetContentRedirector(), nullptr) << "the content manager it was given";
        ASSERT_NE(FlashOCXCodeProvider(), nullptr);
        IUnknown* object = nullptr;
        ASSERT_EQ(CreateUnknown(*FlashOCXCodeProvider(), &object), S_OK);
        object->Release();

        LoadFlashOCXCodeFromStream(std::vector<uint8_t>(100, 0));
        ASSERT_NE(FlashOCXCodeProvider(), nullptr);
        EXPECT_EQ(CreateUnknown(*FlashOCXCodeProvider(), &object), E_FAIL) << "the previous provider is gone";

        LoadFlashOCXCodeFromStream(TestModuleImage());
        ASSERT_EQ(CreateUnknown(*FlashOCXCodeProvider(), &object), S_OK);
        object->Release();
    }
    EXPECT_EQ(FlashOCXCodeProvider(), nullptr);
    EXPECT_EQ(WindowClassMap(), nullptr);
    EXPECT_EQ(GetContentRedirector(), nullptr);
}

TEST_F(Providers, APackagedModuleMeansTheRegisteredOneIsNeverMapped)
{
    // The registered module marks its mapping with a file.
    const swfp::wintest::TempFolder folder;
    const std::string marker = (folder.Path() / "mapped.marker").string();
    const ScopedVariable markerVariable("FAULTY_MODULE_MARKER", marker.c_str());
    ServerRegistration server(BesideProgram("flashrt_faulty_module.dll"));
    {
        FlashRuntimeUnit unit;
        LoadFlashOCXCodeFromStream(TestModuleImage());
        IUnknown* object = nullptr;
        ASSERT_EQ(CreateUnknown(*FlashOCXCodeProvider(), &object), S_OK);
        object->Release();
    }
    const bool mapped = GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    {
        // The same module is mapped as soon as a control asks the default provider.
        FlashRuntimeUnit unit;
        IUnknown* object = nullptr;
        CreateUnknown(*FlashOCXCodeProvider(), &object);
    }
    EXPECT_FALSE(mapped);
    EXPECT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
