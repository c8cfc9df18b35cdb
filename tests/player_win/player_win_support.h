#pragma once
// In-process set-up for the player window tests: the shared Windows test
// helpers (the runtime state with the stand-in mapped from beside the test
// program, its observation log, temporary folders, the message pump) and
// packaged player files.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/player_settings.h"
#include "player/swf_plr_main_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

namespace swfp::wintest {

// A file that ends in a package holding only `movie` (the player reads nothing else of it).
std::filesystem::path WritePackagedPlayer(const std::filesystem::path& folder, const std::wstring& name,
                                          const std::vector<uint8_t>& movie);

// A movie of `frames` frames (550 x 400 px, 12 fps).
std::vector<uint8_t> PlainMovie(int frames, bool compressed = false);

// Settings with nothing set, then adjusted by the test.
PlayerSettings ZeroSettings();

// Creates the player window over a packaged movie with the given settings.
std::unique_ptr<TfrmPlr> MakePlayerWindow(const PlayerSettings& settings, const std::filesystem::path& packaged);

}  // namespace swfp::wintest
