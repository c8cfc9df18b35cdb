// A module that faults in its entry routine, its class-object entry or its
// factory leaves an empty provider, and the process goes on.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "flashrt/fault_containment_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "flashrt/flash_ocx_loader_win.h"
#include "flashrt/import_hooks_win.h"
#include "win_test_support.h"

using namespace flashrt;
using namespace loader_test;

namespace {

struct FaultCase {
    const char* fault;
    bool mapped;  // whether the module survives its mapping
};

class FaultyModule : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultyModule, LeavesAnEmptyProviderAndTheProcessGoesOn)
{
    const ImportHookState hookState;
    std::optional<ScopedVariable> fault(std::in_place, "FAULTY_MODULE_FAULT", GetParam().fault);
    TFlashOCXCodeProviderBasedOnStream provider(ReadBesideProgram("flashrt_faulty_module.dll"));
    EXPECT_EQ(provider.Loader() != nullptr, GetParam().mapped);
    for (int attempt = 0; attempt < 2; ++attempt) {
        void* object = reinterpret_cast<void*>(0xDEADBEEF);
        EXPECT_EQ(provider.CreateInstance(IID_IUnknown, &object), E_FAIL);
        EXPECT_EQ(object, nullptr);
        EXPECT_FALSE(provider.HasEntry()) << "a module that faulted is not called again";
    }

    // A sound module still maps and creates objects afterwards.
    fault.reset();
    TFlashOCXCodeProviderBasedOnStream healthy(TestModuleImage());
    IUnknown* object = nullptr;
    ASSERT_EQ(healthy.CreateInstance(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    ASSERT_NE(object, nullptr);
    object->Release();
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyModule,
                         ::testing::Values(FaultCase{"entry-access", false}, FaultCase{"entry-illegal", false},
                                           FaultCase{"class-object", true}, FaultCase{"factory", true}),
                         [](const auto& info) {
                             std::string name = info.param.fault;
                             std::erase(name, '-');
                             return name;
                         });

TEST(ContainFaults, EndsOnlyTheCallThatFaultedAndLetsExceptionsThrough)
{
    // Code no module holds: an illegal instruction on a page of its own.
    const VirtualRange page(VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    ASSERT_NE(page, nullptr);
    memcpy(page.get(), "\x0f\x0b", 2);  // ud2
    const auto illegal = reinterpret_cast<void (*)()>(page.get());

    bool inner = true;
    int after = 0;
    EXPECT_TRUE(ContainFaults([&] {
        inner = ContainFaults(illegal);
        ++after;
    }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(after, 1) << "the outer call goes on";

    EXPECT_THROW(ContainFaults([] { throw std::runtime_error("through"); }), std::runtime_error);
    EXPECT_FALSE(ContainFaults(illegal)) << "still contained after an exception left a call";
}

}  // namespace
