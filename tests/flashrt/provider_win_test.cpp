// Module providers: from the registered module and from a module image, which
// may fault in its entry routine, its class-object entry or its factory.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "flashrt/flash_ocx_code_provider_win.h"
#include "win_test_support.h"

using namespace flashrt;
using namespace loader_test;

namespace {

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
