// The player executable dressed as the user's product: its group icon (the
// one Explorer and the program's windows show) replaced by the package's
// icon, its version resource made from the settings.
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "app/player_settings.h"

// The VS_VERSIONINFO resource for the settings: the fixed part takes
// FileVersion (and ProductVersion when it reads as up to four numbers, else
// FileVersion again); the US English, Unicode string table takes every text
// field the settings fill (Title as FileDescription).
std::vector<uint8_t> VersionResource(const PlayerSettings& settings);

// An .ico file as resources: the group icon directory (entries numbered from
// 1) and each image in the file's order. Throws std::runtime_error for a file
// that is not a well-formed icon.
struct IconResources {
  std::vector<uint8_t> group;
  std::vector<std::vector<uint8_t>> images;
};
IconResources IconResourcesFromFile(std::span<const uint8_t> ico);

// The base executable with its resources rewritten: every icon and group icon
// replaced by the icon's (kept under the name of the base's first group icon,
// which the program loads by name), the version resource by the settings'.
// Without an icon the base's icons stay. Throws std::runtime_error.
std::vector<uint8_t> BrandPlayer(std::span<const uint8_t> base, const std::optional<std::vector<uint8_t>>& icon,
                                 const PlayerSettings& settings);
