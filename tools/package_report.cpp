#include "tools/package_report.h"

#include "app/module_inflate.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace {

// The header fits well inside this many bytes, also for a compressed movie.
constexpr uint64_t kHeaderBytes = 64 * 1024;
// An embedded runtime module larger than this is not inflated to be described.
constexpr uint64_t kLargestDescribedModule = 64u << 20;

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The header of the movie block, read from its first bytes. The header parser
// tries to inflate an "FWS" movie only when the block is shorter than the
// length it declares; a prefix must not make it think so.
SwfHeaderInfo ReadMovieHeader(const PackageSource& file, const PackageBlock& movie) {
  PackageBlock head = movie;
  head.length = static_cast<uint32_t>(std::min<uint64_t>(movie.length, kHeaderBytes));
  std::vector<uint8_t> prefix = ReadBlockPayload(file, head);
  uint32_t declared = 0;
  const bool partial = head.length < movie.length;
  if (partial && prefix.size() >= 8 && prefix[0] == 'F') {
    declared = LoadLE32(&prefix[4]);
    if (declared <= movie.length)
      for (int i = 0; i < 4; ++i) prefix[4 + i] = static_cast<uint8_t>(prefix.size() >> (8 * i));
  }
  SwfHeaderInfo info = ReadSwfHeaderInfo(prefix);
  if (partial) {
    info.MovieSize = movie.length;
    if (declared) info.FileLength = declared;
  }
  return info;
}

}  // namespace

PackageBlock LocateMovieBlock(const PackageSource& file, uint64_t offset, uint64_t length) {
  PackageBlock block{kPackageMovieKind, offset, static_cast<uint32_t>(std::min<uint64_t>(length, UINT32_MAX))};
  if (length < 8) return block;
  uint8_t trailer[8];
  file.Read(offset + length - 8, trailer, sizeof trailer);
  if (LoadLE32(trailer) != kMovieTrailerMagic) return block;
  const uint32_t movieLength = LoadLE32(trailer + 4);
  const uint64_t available = length - 8;
  if (movieLength > available)
    throw EMovieCorrupt("movie trailer declares a " + std::to_string(movieLength) + "-byte movie but only " +
                        std::to_string(available) + " bytes precede it");
  return PackageBlock{kPackageMovieKind, offset + available - movieLength, movieLength};
}

PackageReport InspectPlayerFile(const PackageSource& file, bool census) {
  PackageReport report;
  const PlayerPackageLayout layout = WalkPlayerPackage(file);
  uint64_t movieOffset = 0, movieLength = file.Size();
  if (layout.movie) {
    report.isPlayer = true;
    report.blocks.push_back(*layout.movie);
    movieOffset = layout.movie->payloadOffset;
    movieLength = layout.movie->length;
    // Applied in walk order, as the player does: a repeated kind nearer the start wins.
    for (const PackageBlock& block : layout.blocks) {
      report.blocks.push_back(block);
      switch (static_cast<PackageBlockKind>(block.kind)) {
        case PackageBlockKind::Settings: LoadPlayerSettings(ReadBlockPayload(file, block), report.settings); break;
        case PackageBlockKind::MovieInformation:
          report.movieInformation = ParseMovieInformation(ReadBlockPayload(file, block));
          break;
        case PackageBlockKind::RuntimeModule:
          report.runtimeModule = RuntimeModuleSummary{};
          if (block.length > kLargestDescribedModule) {
            report.runtimeModule->problem = "not inspected: the block is larger than 64 MiB";
            break;
          }
          try {
            report.runtimeModule = DescribeRuntimeModule(InflateRuntimeModule(ReadBlockPayload(file, block)));
          } catch (const EModuleInflate& e) {
            report.runtimeModule->problem = std::string("cannot inflate: ") + e.what();
          }
          break;
        case PackageBlockKind::RuntimeWarning: {
          const std::vector<uint8_t> text = ReadBlockPayload(file, block);
          report.runtimeWarning = std::string(text.begin(), text.end());
          break;
        }
        default: break;
      }
    }
  }
  // The control applies the movie trailer rule to whatever stream it is given.
  const PackageBlock movie = LocateMovieBlock(file, movieOffset, movieLength);
  if (!report.isPlayer) {
    uint8_t signature[3] = {};
    if (movie.length >= 3) file.Read(movie.payloadOffset, signature, 3);
    const bool swf = (signature[0] == 'F' || signature[0] == 'C') && signature[1] == 'W' && signature[2] == 'S';
    if (!swf) throw std::runtime_error("neither a player package nor a SWF movie");
  }
  if (census) {
    const std::vector<uint8_t> whole = ReadBlockPayload(file, movie);
    report.movie = ReadSwfHeaderInfo(whole);
    report.census = SwfCensus(whole);
  } else {
    report.movie = ReadMovieHeader(file, movie);
  }
  return report;
}

PackageReport InspectPlayerFile(std::span<const uint8_t> file, bool census) {
  return InspectPlayerFile(MemoryPackageSource(file), census);
}

SettingsJson MovieToJson(const PackageReport& r) {
  SettingsJson movie = SettingsJson::object();
  movie["MovieWidth"] = r.movie.MovieWidth();
  movie["MovieHeight"] = r.movie.MovieHeight();
  movie["MovieFPS"] = r.movie.FrameRate;
  movie["MovieFlashVersion"] = r.movie.Version;
  movie["Compressed"] = r.movie.Compressed;
  movie["MovieSize"] = r.movie.MovieSize;
  if (r.census) {
    static const char* const kNames[] = {"Shapes", "MorphShapes", "Fonts",   "Unused", "Bitmaps",
                                         "Sounds", "Videos",      "Texts",   "Buttons", "Sprites"};
    SettingsJson counters = SettingsJson::object();
    for (size_t i = 0; i < r.census->size(); ++i) counters[kNames[i]] = (*r.census)[i];
    movie["Census"] = counters;
  }
  return movie;
}

SettingsJson ReportToJson(const PackageReport& r) {
  SettingsJson json = SettingsJson::object();
  json["player"] = r.isPlayer;
  SettingsJson blocks = SettingsJson::array();
  for (const PackageBlock& b : r.blocks)
    blocks.push_back({{"kind", b.kind}, {"name", PackageBlockKindName(b.kind)}, {"offset", b.payloadOffset},
                      {"length", b.length}});
  json["blocks"] = blocks;
  json["settings"] = SettingsToJson(r.settings);
  if (r.movieInformation) {
    const MovieInformation& m = *r.movieInformation;
    json["movieInformation"] = {{"Xmin", m.Xmin}, {"Xmax", m.Xmax}, {"Ymin", m.Ymin},
                                {"Ymax", m.Ymax}, {"Reserved16", m.Reserved16}, {"FrameRate", m.FrameRate}};
  }
  if (r.runtimeWarning) json["runtimeWarning"] = Latin1ToUtf8(*r.runtimeWarning);
  if (r.runtimeModule) {
    const RuntimeModuleSummary& m = *r.runtimeModule;
    json["runtimeModule"] = {{"bits", m.bits}, {"size", m.size}, {"productVersion", m.productVersion},
                             {"problem", m.problem}};
  }
  json["movie"] = MovieToJson(r);
  return json;
}

std::string ReportToText(const PackageReport& r) {
  std::ostringstream out;
  if (r.isPlayer) {
    out << "Player package, " << r.blocks.size() << " blocks (movie first, then from the end of the file):\n";
    for (const PackageBlock& b : r.blocks)
      out << "  " << PackageBlockKindName(b.kind) << " (kind " << b.kind << "): offset " << b.payloadOffset
          << ", length " << b.length << "\n";
    out << "Settings:\n";
    const SettingsJson settings = SettingsToJson(r.settings);  // items() does not keep a temporary alive
    for (const auto& [key, value] : settings.items()) out << "  " << key << " = " << value.dump() << "\n";
    if (r.movieInformation) {
      const MovieInformation& m = *r.movieInformation;
      out << "Movie information record: Xmin " << m.Xmin << ", Xmax " << m.Xmax << ", Ymin " << m.Ymin << ", Ymax "
          << m.Ymax << ", value at 16: " << m.Reserved16 << ", frame rate " << m.FrameRate << "\n";
    }
    if (r.runtimeModule) {
      const RuntimeModuleSummary& m = *r.runtimeModule;
      if (m.problem.empty())
        out << "Runtime module: " << m.bits << "-bit, " << m.size << " bytes, product version "
            << (m.productVersion.empty() ? "none" : m.productVersion) << "\n";
      else
        out << "Runtime module: not usable (" << m.problem << ")\n";
    }
    if (r.runtimeWarning) out << "Runtime-required warning: " << Latin1ToUtf8(*r.runtimeWarning) << "\n";
  } else {
    out << "Bare movie (no player package)\n";
  }
  out << "Movie:\n";
  const SettingsJson movie = MovieToJson(r);
  for (const auto& [key, value] : movie.items()) out << "  " << key << " = " << value.dump() << "\n";
  return out.str();
}
