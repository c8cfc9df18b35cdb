#include "tools/package_builder.h"

#include <stdexcept>

#include "app/jpeg_image.h"
#include "flashhost/movie_info.h"
#include "flashrt/pe_image.h"
#include "flashrt/pe_resource_writer.h"
#include "tools/player_resources.h"
#include "tools/runtime_module.h"

namespace {

void Require(bool condition, const std::string& message) {
  if (!condition) throw std::runtime_error(message);
}

bool IsSwf(std::span<const uint8_t> movie) {
  return movie.size() >= 8 && (movie[0] == 'F' || movie[0] == 'C') && movie[1] == 'W' && movie[2] == 'S';
}

// An icon or cursor file starts with an ICONDIR: reserved 0, type (1 icon, 2 cursor), count > 0.
void CheckIconDirectory(std::span<const uint8_t> file, uint8_t type, const char* what) {
  Require(file.size() >= 6 + 16 && file[0] == 0 && file[1] == 0 && file[2] == type && file[3] == 0 &&
              (file[4] | file[5]) != 0,
          std::string(what) + " is not a Windows " + what + " file");
}

}  // namespace

MovieInformation MovieInformationFor(std::span<const uint8_t> movieBlock) {
  const SwfHeaderInfo header = ReadSwfHeaderInfo(movieBlock);
  MovieInformation info;
  info.Xmin = header.Xmin / 20;
  info.Xmax = header.Xmax / 20;
  info.Ymin = header.Ymin / 20;
  info.Ymax = header.Ymax / 20;
  info.Reserved16 = header.FrameCount;
  info.FrameRate = header.FrameRate;
  return info;
}

namespace {

unsigned BitsOf(uint16_t machine) { return machine == flashrt::pe::kMachineAmd64 ? 64 : 32; }

// Refuses combinations that would make a player that cannot work.
void CheckCompatible(const PackageInputs& in, uint16_t baseMachine) {
  if (in.runtime && in.runtimeWarning)
    throw std::runtime_error(
        "--runtime and --runtime-warning exclude each other: on a machine without a registered runtime the warning "
        "would end start-up before the packed runtime module is used");
  if (in.runtime) {
    CheckRuntimeModule(*in.runtime);
    const uint16_t machine = flashrt::pe::ParseHeaders(*in.runtime, flashrt::pe::Layout::File).machine;
    if (machine != baseMachine)
      throw std::runtime_error("runtime module is " + std::to_string(BitsOf(machine)) + "-bit but the base player is " +
                               std::to_string(BitsOf(baseMachine)) + "-bit; use the player build of the same bitness");
  }
  if (in.splash) {
    try {
      DecodeJpeg(*in.splash);
    } catch (const EJpegDecode& e) {
      throw std::runtime_error(std::string("splash cannot be shown by the player: ") + e.what());
    }
  }
}

}  // namespace

std::vector<uint8_t> BuildPlayer(const PackageInputs& in) {
  uint16_t baseMachine = 0;
  try {
    baseMachine = flashrt::pe::ParseHeaders(in.base, flashrt::pe::Layout::File).machine;
  } catch (const flashrt::pe::PeError& e) {
    throw std::runtime_error(std::string("base is not a Windows executable: ") + e.what());
  }
  {
    MemoryPackageSource base(in.base);
    const PlayerPackageLayout existing = WalkPlayerPackage(base);
    Require(!existing.movie, "base already carries a player package; start from the plain player");
  }
  const std::span<const uint8_t> movie = LocateMovieBlock(in.movie);
  Require(IsSwf(movie), "movie is not a SWF file (no FWS or CWS signature)");

  if (in.splash)
    Require(in.splash->size() >= 3 && (*in.splash)[0] == 0xFF && (*in.splash)[1] == 0xD8 && (*in.splash)[2] == 0xFF,
            "splash is not a JPEG file");
  if (in.icon) CheckIconDirectory(*in.icon, 1, "icon");
  CheckCompatible(in, baseMachine);

  // The executable shows the package's icon and the settings' version in Explorer.
  std::vector<uint8_t> out = BrandPlayer(in.base, in.icon, in.settings.value_or(PlayerSettings{}));
  if (in.settings) AppendBlock(out, PackageBlockKind::Settings, SettingsBytes(*in.settings));
  if (in.splash) AppendBlock(out, PackageBlockKind::SplashImage, *in.splash);
  if (in.icon) AppendBlock(out, PackageBlockKind::ApplicationIcon, *in.icon);
  if (in.cursor) {
    CheckIconDirectory(*in.cursor, 2, "cursor");
    AppendBlock(out, PackageBlockKind::Cursor, *in.cursor);
  }
  if (in.runtime) {
    AppendBlock(out, PackageBlockKind::RuntimeModule, CompressRuntimeModule(*in.runtime));
  }
  if (in.runtimeWarning) {
    const auto& text = *in.runtimeWarning;
    AppendBlock(out, PackageBlockKind::RuntimeWarning,
                std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }
  AppendBlock(out, PackageBlockKind::MovieInformation, SerializeMovieInformation(MovieInformationFor(movie)));
  AppendBlock(out, kPackageMovieMagic, movie);
  // Over the whole file, package included, as the image checker reads it.
  flashrt::pe::WritePeChecksum(out);
  return out;
}
