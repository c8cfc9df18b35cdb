#pragma once
// In-process set-up for the player window tests: the runtime state of the
// process with the stand-in runtime mapped from beside the test program, the
// stand-in's observation log, and packaged player files in a temporary folder.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/player_settings.h"
#include "player/swf_plr_main_win.h"

namespace plrtest {

std::filesystem::path ExeFolder();

// A fresh folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file that ends in a package holding only `movie` (the player reads nothing else of it).
std::filesystem::path WritePackagedPlayer(const std::filesystem::path& folder, const std::wstring& name,
                                          const std::vector<uint8_t>& movie);

// A movie of `frames` frames (550 x 400 px, 12 fps).
std::vector<uint8_t> PlainMovie(int frames, bool compressed = false);

// The stand-in's observation log, kept in a file of its own.
class StandinLog {
public:
    StandinLog();
    ~StandinLog();
    void Clear();
    std::vector<std::string> Lines() const;
    // Index of the first line equal to `line` at or after `from`, or -1.
    int Find(const std::string& line, int from = 0) const;
    int Count(const std::string& line) const;
    std::string Dump() const;

private:
    std::filesystem::path path_;
};

// Lets queued messages (timers, posted notifications) run for a while.
void Pump(int milliseconds = 50);

// Settings with nothing set, then adjusted by the test.
PlayerSettings ZeroSettings();

// Creates the player window over a packaged movie with the given settings.
std::unique_ptr<TfrmPlr> MakePlayerWindow(const PlayerSettings& settings, const std::filesystem::path& packaged);

}  // namespace plrtest
