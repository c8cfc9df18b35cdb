#include "tests/flashhost_win/flashhost_test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <fstream>
#include <sstream>

#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "toolkit/application_win.h"

namespace h5test {

namespace {

// The process's runtime state lives for the whole test program, as in the player.
class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        unit_ = std::make_unique<flashrt::FlashRuntimeUnit>(&flashrt::MakeContentManager);
    }
    void TearDown() override
    {
        unit_.reset();
        OleUninitialize();
    }

private:
    std::unique_ptr<flashrt::FlashRuntimeUnit> unit_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

}  // namespace

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TempFolder::TempFolder()
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"h5host_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((path_ + L"\\" + data.cFileName).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
}

void UseRuntimeModule(const std::wstring& dllName)
{
    if (dllName.empty()) {
        flashrt::LoadFlashOCXCodeFromStream({});
        return;
    }
    const std::vector<uint8_t> image = ReadWholeFile(ExeFolder() + L"\\" + dllName);
    ASSERT_FALSE(image.empty()) << "the stand-in module is built beside the tests";
    flashrt::LoadFlashOCXCodeFromStream(image);
}

StandinLog::StandinLog()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"h5host_log_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(path_.c_str());
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", path_.c_str());
}

StandinLog::~StandinLog()
{
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", nullptr);
    DeleteFileW(path_.c_str());
}

void StandinLog::Clear() { DeleteFileW(path_.c_str()); }

std::vector<std::string> StandinLog::Lines() const
{
    std::vector<std::string> lines;
    std::ifstream in(path_.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int StandinLog::Find(const std::string& prefix, int from) const
{
    const auto lines = Lines();
    for (size_t i = static_cast<size_t>(from < 0 ? 0 : from); i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

std::string StandinLog::Dump() const
{
    std::ostringstream out;
    for (const auto& l : Lines()) out << "  " << l << "\n";
    return out.str();
}

TestForm::TestForm()
{
    form_ = std::make_unique<swfp::tk::TForm>(nullptr);
    form_->SetName("TestForm");
    form_->SetClientSize(800, 600);
    form_->HandleNeeded();
}

TestForm::~TestForm() = default;

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

}  // namespace h5test
