// What swfpack info shows about a player or a bare movie: the package's
// blocks, the settings the player would apply, and the movie information as
// the player control would publish it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/player_package.h"
#include "app/player_settings.h"
#include "flashhost/movie_info.h"
#include "tools/runtime_module.h"
#include "tools/settings_json.h"

struct PackageReport {
  bool isPlayer = false;                      // a package trailer was found
  std::vector<PackageBlock> blocks;           // movie first, then walk order
  PlayerSettings settings{};                  // all zero unless a settings block was applied
  std::optional<MovieInformation> movieInformation;
  std::optional<std::string> runtimeWarning;  // single-byte text
  std::optional<RuntimeModuleSummary> runtimeModule;
  SwfHeaderInfo movie;
  std::optional<SwfCensusCounters> census;
};

// Reads the trailers, the small blocks and the movie's header only (the whole
// movie with census, the module block to describe an embedded runtime).
// Throws std::runtime_error (EPackageCorrupt, EMovieCorrupt) for a corrupt
// package or a file that is neither a player nor a SWF movie.
PackageReport InspectPlayerFile(const PackageSource& file, bool census);
PackageReport InspectPlayerFile(std::span<const uint8_t> file, bool census);

// The movie block of a movie file or of a player's movie payload at
// [offset, offset + length): the bytes before a 0xFA123456 movie trailer when
// one ends the range, else the whole range. Throws EMovieCorrupt.
PackageBlock LocateMovieBlock(const PackageSource& file, uint64_t offset, uint64_t length);

// The movie fields under the control's published names.
SettingsJson MovieToJson(const PackageReport& report);
SettingsJson ReportToJson(const PackageReport& report);
std::string ReportToText(const PackageReport& report);
