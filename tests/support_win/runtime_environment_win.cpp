#include "tests/support_win/runtime_environment_win.h"

#include <windows.h>
#include <ole2.h>

#include <memory>

#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "tests/support_win/test_files_win.h"

namespace swfp::wintest {

namespace {

class RuntimeEnvironment : public ::testing::Environment {
public:
    explicit RuntimeEnvironment(std::wstring dllName) : dllName_(std::move(dllName)) {}

    void SetUp() override
    {
        OleInitialize(nullptr);
        unit_ = std::make_unique<flashrt::FlashRuntimeUnit>(&flashrt::MakeContentManager);
        if (!dllName_.empty())
            UseRuntimeModule(dllName_);
    }

    void TearDown() override
    {
        unit_.reset();
        OleUninitialize();
    }

private:
    std::wstring dllName_;
    std::unique_ptr<flashrt::FlashRuntimeUnit> unit_;
};

}  // namespace

void UseRuntimeModule(const std::wstring& dllName)
{
    if (dllName.empty()) {
        flashrt::LoadFlashOCXCodeFromStream({});
        return;
    }
    const std::vector<uint8_t> image = ReadWholeFile(ExeFolder() / dllName);
    ASSERT_FALSE(image.empty()) << "the stand-in module is built beside the tests";
    flashrt::LoadFlashOCXCodeFromStream(image);
}

::testing::Environment* AddRuntimeEnvironment(const std::wstring& dllName)
{
    // gtest owns the environments it is given.
    return ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(dllName));
}

}  // namespace swfp::wintest
