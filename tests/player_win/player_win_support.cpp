#include "tests/player_win/player_win_support.h"

#include <cstring>

#include "app/player_package.h"
#include "app/swf_plr_globals.h"
#include "tests/support/swf_writer.h"

namespace fs = std::filesystem;

namespace swfp::wintest {

namespace {

// The process's runtime state lives for the whole test program, as in the player,
// with the stand-in as the active provider's module.
[[maybe_unused]] const auto* const environment = AddRuntimeEnvironment(L"flash_standin.dll");

}  // namespace

fs::path WritePackagedPlayer(const fs::path& folder, const std::wstring& name, const std::vector<uint8_t>& movie)
{
    std::vector<uint8_t> file = {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    AppendBlock(file, kPackageMovieMagic, movie);
    const fs::path path = folder / name;
    WriteWholeFile(path, file);
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
    // The runtime fetches the movie while the loop runs; the refresh timer then shows its frames.
    if (window->Player().HasOleObject())
        PumpUntil([&] { return window->Player().ReadyState() == 4 &&
                               window->ProgressSlider->Max() == int(window->Player().TotalFrames()) - 1; },
                  std::chrono::seconds(5));
    return window;
}

}  // namespace swfp::wintest
