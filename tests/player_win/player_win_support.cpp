#include "tests/player_win/player_win_support.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "app/player_package.h"
#include "app/swf_plr_globals.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "tests/support/swf_writer.h"

namespace fs = std::filesystem;

namespace plrtest {

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The process's runtime state lives for the whole test program, as in the player,
// with the stand-in as the active provider's module.
class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        unit_ = std::make_unique<flashrt::FlashRuntimeUnit>(&flashrt::MakeContentManager);
        const std::vector<uint8_t> image = ReadAll(ExeFolder() / "flash_standin.dll");
        ASSERT_FALSE(image.empty()) << "the stand-in runtime is built beside the tests";
        flashrt::LoadFlashOCXCodeFromStream(image);
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

fs::path ExeFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, n)).parent_path();
}

TempFolder::TempFolder()
{
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            (L"h6plr_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter));
    fs::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path WritePackagedPlayer(const fs::path& folder, const std::wstring& name, const std::vector<uint8_t>& movie)
{
    std::vector<uint8_t> file = {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    AppendBlock(file, kPackageMovieMagic, movie);
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

std::vector<uint8_t> PlainMovie(int frames, bool compressed)
{
    SwfWriter w;
    w.Version(8).FrameSize(550, 400).FrameRate(12).Compressed(compressed).SetBackgroundColor({0, 64, 96});
    w.DefineRectangle(1, 50, 50, {255, 0, 0}).PlaceObject(1, 1, 10, 10);
    for (int i = 0; i < frames; ++i)
        w.ShowFrame();
    return w.Build();
}

StandinLog::StandinLog()
{
    path_ = fs::temp_directory_path() / (L"h6plr_log_" + std::to_wstring(GetCurrentProcessId()) + L".txt");
    fs::remove(path_);
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", path_.c_str());
}

StandinLog::~StandinLog()
{
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", nullptr);
    std::error_code ignored;
    fs::remove(path_, ignored);
}

void StandinLog::Clear()
{
    std::error_code ignored;
    fs::remove(path_, ignored);
}

std::vector<std::string> StandinLog::Lines() const
{
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int StandinLog::Find(const std::string& line, int from) const
{
    const auto lines = Lines();
    for (size_t i = size_t(from < 0 ? 0 : from); i < lines.size(); ++i)
        if (lines[i] == line)
            return int(i);
    return -1;
}

int StandinLog::Count(const std::string& line) const
{
    int n = 0;
    for (const auto& l : Lines())
        n += l == line;
    return n;
}

std::string StandinLog::Dump() const
{
    std::ostringstream out;
    for (const auto& l : Lines())
        out << "  " << l << "\n";
    return out.str();
}

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + DWORD(milliseconds);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

PlayerSettings ZeroSettings()
{
    PlayerSettings s;
    std::memset(&s, 0, sizeof s);
    return s;
}

std::unique_ptr<TfrmPlr> MakePlayerWindow(const PlayerSettings& settings, const fs::path& packaged)
{
    g_PlayerSettings = settings;
    auto window = std::make_unique<TfrmPlr>(nullptr, packaged.wstring());
    Pump(100);  // the movie arrives through the content manager
    return window;
}

}  // namespace plrtest
