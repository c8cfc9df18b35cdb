#include "tools/package_report.h"

#include "app/module_inflate.h"

#include <sstream>
#include <stdexcept>

PackageReport InspectPlayerFile(std::span<const uint8_t> file, bool census) {
  PackageReport report;
  MemoryPackageSource source(file);
  const PlayerPackageLayout layout = WalkPlayerPackage(source);
  std::span<const uint8_t> movieBytes = file;
  if (layout.movie) {
    report.isPlayer = true;
    report.blocks.push_back(*layout.movie);
    movieBytes = file.subspan(layout.movie->payloadOffset, layout.movie->length);
    // Applied in walk order, as the player does: a repeated kind nearer the start wins.
    for (const PackageBlock& block : layout.blocks) {
      report.blocks.push_back(block);
      const auto payload = file.subspan(block.payloadOffset, block.length);
      switch (static_cast<PackageBlockKind>(block.kind)) {
        case PackageBlockKind::Settings: LoadPlayerSettings(payload, report.settings); break;
        case PackageBlockKind::MovieInformation: report.movieInformation = ParseMovieInformation(payload); break;
        case PackageBlockKind::RuntimeModule:
          try {
            report.runtimeModule = DescribeRuntimeModule(InflateRuntimeModule(payload));
          } catch (const EModuleInflate& e) {
            report.runtimeModule = RuntimeModuleSummary{};
            report.runtimeModule->problem = std::string("cannot inflate: ") + e.what();
          }
          break;
        case PackageBlockKind::RuntimeWarning:
          report.runtimeWarning = std::string(payload.begin(), payload.end());
          break;
        default: break;
      }
    }
  }
  // The control applies the movie trailer rule to whatever stream it is given.
  const std::span<const uint8_t> block = LocateMovieBlock(movieBytes);
  if (!report.isPlayer) {
    const bool swf = block.size() >= 3 && (block[0] == 'F' || block[0] == 'C') && block[1] == 'W' && block[2] == 'S';
    if (!swf) throw std::runtime_error("neither a player package nor a SWF movie");
  }
  report.movie = ReadSwfHeaderInfo(block);
  if (census) report.census = SwfCensus(block);
  return report;
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
