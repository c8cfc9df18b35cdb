#pragma once
// Packaged players as a user gets them: an executable followed by package
// blocks. The package is read from the end of the file, so the movie block
// is written last.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/player_package.h"
#include "app/player_settings.h"

namespace swfp::wintest {

struct PlayerBlock {
    uint32_t magic;
    std::vector<uint8_t> payload;
};

PlayerBlock Block(PackageBlockKind kind, std::vector<uint8_t> payload);
PlayerBlock SettingsBlock(const PlayerSettings& settings);
// A runtime module built beside the test program, compressed as a package carries it.
PlayerBlock RuntimeBlock(const std::wstring& dllName = L"flash_standin.dll");
PlayerBlock MovieBlock(std::vector<uint8_t> movie);

// Settings with every byte zero, padding included, for the test to adjust.
PlayerSettings ZeroSettings();

// swf_player.exe, built beside the test program; throws when it is not there.
std::vector<uint8_t> PlayerExecutable();

// Writes `base` followed by the blocks in order, and returns `path`.
std::filesystem::path WritePackage(const std::filesystem::path& path, std::vector<uint8_t> base,
                                   const std::vector<PlayerBlock>& blocks);

}  // namespace swfp::wintest
