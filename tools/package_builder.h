// Makes a player: a copy of the player executable with a player package
// appended in the order settings, splash image, application icon, cursor,
// runtime module, runtime-required warning, movie information, movie.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/player_package.h"
#include "app/player_settings.h"

struct PackageInputs {
  std::vector<uint8_t> base;   // the player executable, without a package
  std::vector<uint8_t> movie;  // a SWF file (a 0xFA123456 movie trailer, if any, is dropped)
  std::optional<PlayerSettings> settings;
  std::optional<std::vector<uint8_t>> icon;     // .ico file
  std::optional<std::vector<uint8_t>> cursor;   // .cur file
  std::optional<std::vector<uint8_t>> splash;   // JPEG file
  std::optional<std::vector<uint8_t>> runtime;  // the Flash runtime module (DLL), stored compressed
  std::optional<std::string> runtimeWarning;    // single-byte text
};

// The base's resources are rewritten first (the package's icon, the settings'
// version). Throws std::runtime_error with a one-line message for input that
// would make a broken player: not an executable, already packaged, not a SWF
// movie, not an icon/cursor, a splash the player cannot decode, a runtime
// module that is not a DLL exporting DllGetClassObject or whose bitness differs
// from the base's, a runtime module together with a runtime-required warning.
std::vector<uint8_t> BuildPlayer(const PackageInputs& inputs);

// The movie-information record for a movie block: frame rectangle in pixels,
// the declared frame count at offset 16, the frame rate.
MovieInformation MovieInformationFor(std::span<const uint8_t> movieBlock);
