#include "tests/support_win/test_files_win.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace swfp::wintest {

namespace {

// One folder per test process, so parallel programs never meet; it goes when the process ends.
struct ProcessTempFolder {
    fs::path path = fs::temp_directory_path() / (L"swfp-tests-" + std::to_wstring(GetCurrentProcessId()));
    ~ProcessTempFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

}  // namespace

fs::path ExeFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, n)).parent_path();
}

fs::path NewTempFolder(const fs::path& name)
{
    static const ProcessTempFolder processFolder;
    const fs::path folder = processFolder.path / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TempFolder::TempFolder()
{
    static int counter = 0;
    path_ = NewTempFolder(L"scope" + std::to_wstring(++counter));
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace swfp::wintest
