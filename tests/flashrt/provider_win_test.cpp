// Module providers: from the registered module, from a module image, from nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "flashrt/flash_ocx_code_provider_win.h"
#include "flashrt/import_hooks_win.h"
#include "win_test_support.h"

using namespace flashrt;
using namespace loader_test;

namespace {

const wchar_t* const kClassKey = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";

bool KeyExists(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Writes the Flash class's server path in this test's Wine prefix; the destructor
// removes it again.
class RegisteredServer {
public:
    explicit RegisteredServer(const std::string& path) { Write(path); }
    ~RegisteredServer() { Remove(); }
    static void Remove() { RegDeleteTreeW(HKEY_CLASSES_ROOT, kFlashInprocServerKey); }
    static void Write(const std::string& path)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create the class key");
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }
};

// The prefix may be shared with other programs that register a Flash runtime:
// whatever registration was there before these tests is put back afterwards.
struct SavedRegistration {
    bool hadClassKey = false;
    std::optional<std::string> server;
};

class Providers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        saved_.hadClassKey = KeyExists(kClassKey);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            char value[1024] = {};
            DWORD size = sizeof value - 1;
            if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS)
                saved_.server = std::string(value);
            RegCloseKey(key);
        }
    }
    static void TearDownTestSuite()
    {
        RegisteredServer::Remove();
        if (saved_.server) RegisteredServer::Write(*saved_.server);
        else if (!saved_.hadClassKey) RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    }
    static inline SavedRegistration saved_;

    void SetUp() override
    {
        RegisteredServer::Remove();
        StartImportHookState();
    }
    void TearDown() override
    {
        StopImportHookState();
        RegisteredServer::Remove();
    }
};

HRESULT CreateUnknown(TFlashOCXCodeProvider& provider, IUnknown** out)
{
    *out = reinterpret_cast<IUnknown*>(0xDEADBEEF);
    return provider.CreateInstance(IID_IUnknown, reinterpret_cast<void**>(out));
}

TEST_F(Providers, TheRegisteredModuleIsMappedWhenFirstAskedAndCreatesObjects)
{
    RegisteredServer server(BesideProgram("flashrt_test_module.dll"));
    EXPECT_EQ(GetInstalledFlashVersion(), 0x0A002D02u);
    EXPECT_TRUE(IsFlashInstalled());

    TFlashOCXCodeProviderBasedOnSystemInstalledOCX provider;
    EXPECT_EQ(provider.Loader(), nullptr) << "nothing is mapped before an object is asked for";
    IUnknown* object = nullptr;
    ASSERT_EQ(CreateUnknown(provider, &object), S_OK);
    ASSERT_TRUE(provider.HasEntry());
    ASSERT_NE(provider.Loader(), nullptr);
    EXPECT_EQ(GetModuleHandleA("flashrt_test_module.dll"), nullptr) << "never through the system loader";
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object, reinterpret_cast<IUnknown*>(0xDEADBEEF));
    EXPECT_EQ(object->Release(), 0u);

    // The factory's refusal is reported, and the out-slot is cleared.
    void* dispatch = reinterpret_cast<void*>(0xDEADBEEF);
    EXPECT_EQ(provider.CreateInstance(IID_IDispatch, &dispatch), E_NOINTERFACE);
    EXPECT_EQ(dispatch, nullptr);
}

TEST_F(Providers, WithoutTheKeyNothingIsInstalledAndCreationFails)
{
    EXPECT_EQ(GetInstalledFlashVersion(), 0u);
    EXPECT_FALSE(IsFlashInstalled());
    TFlashOCXCodeProviderBasedOnSystemInstalledOCX provider;
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateUnknown(provider, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(provider.HasEntry());
}

TEST_F(Providers, ARegisteredPathThatIsNoModuleGivesAnEmptyProvider)
{
    RegisteredServer server(BesideProgram("no_such_module.dll"));
    EXPECT_EQ(GetInstalledFlashVersion(), 0u);
    TFlashOCXCodeProviderBasedOnSystemInstalledOCX provider;
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateUnknown(provider, &object), E_FAIL);
    EXPECT_FALSE(provider.HasEntry());
}

TEST_F(Providers, APathOf260CharactersIsTooLongForTheVersionQuery)
{
    std::string path = "C:\\";
    path += std::string(260 - path.size() - 4, 'a') + ".dll";
    ASSERT_EQ(path.size(), 260u);
    RegisteredServer server(path);
    EXPECT_EQ(GetInstalledFlashVersion(), 0u);
    TFlashOCXCodeProviderBasedOnSystemInstalledOCX provider;  // reads it, finds no file
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateUnknown(provider, &object), E_FAIL);
    EXPECT_FALSE(provider.HasEntry());
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
    RegisteredServer::Remove();
    {
        RegisteredServer server(BesideProgram("flashrt_test_module.dll"));
        FlashRuntimeUnit unit;
        ASSERT_NE(WindowClassMap(), nullptr);
        EXPECT_TRUE(GetFlashSoundEnabled());
        TFlashOCXCodeProvider* first = FlashOCXCodeProvider();
        ASSERT_NE(first, nullptr);
        IUnknown* object = nullptr;
        ASSERT_EQ(CreateUnknown(*first, &object), S_OK);
        object->Release();

        LoadFlashOCXCodeFromStream(std::vector<uint8_t>(100, 0));
        TFlashOCXCodeProvider* broken = FlashOCXCodeProvider();
        ASSERT_NE(broken, nullptr);
        EXPECT_EQ(CreateUnknown(*broken, &object), E_FAIL) << "the previous provider is gone";

        const auto image = TestModuleImage();
        LoadFlashOCXCodeFromStream(image);
        ASSERT_EQ(CreateUnknown(*FlashOCXCodeProvider(), &object), S_OK);
        object->Release();
    }
    EXPECT_EQ(FlashOCXCodeProvider(), nullptr);
    EXPECT_EQ(WindowClassMap(), nullptr);
    RegisteredServer::Remove();
}

TEST_F(Providers, APackagedModuleMeansTheRegisteredOneIsNeverMapped)
{
    // The registered module marks its mapping with a file.
    const std::string marker = BesideProgram("registered_module_mapped.marker");
    DeleteFileA(marker.c_str());
    SetEnvironmentVariableA("FAULTY_MODULE_MARKER", marker.c_str());
    RegisteredServer server(BesideProgram("flashrt_faulty_module.dll"));
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
    SetEnvironmentVariableA("FAULTY_MODULE_MARKER", nullptr);
    EXPECT_FALSE(mapped);
    EXPECT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(marker.c_str());
}

TEST_F(Providers, TheRuntimeUnitInstallsTheContentManagerItIsGiven)
{
    struct Redirector : ContentRedirector {
        bool TryCreateURLMoniker(IMoniker*, LPCWSTR, IMoniker**, HRESULT*) override { return false; }
        bool TryCreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE, HANDLE*) override
        {
            return false;
        }
    };
    static ContentRedirector* made = nullptr;
    {
        FlashRuntimeUnit unit([]() -> std::unique_ptr<ContentRedirector> {
            auto r = std::make_unique<Redirector>();
            made = r.get();
            return r;
        });
        EXPECT_EQ(GetContentRedirector(), made);
        EXPECT_NE(made, nullptr);
    }
    EXPECT_EQ(GetContentRedirector(), nullptr);
}

}  // namespace
