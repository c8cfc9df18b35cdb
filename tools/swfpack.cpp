#include "tools/swfpack.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>

#include "tools/file_source.h"
#include "tools/package_builder.h"
#include "tools/package_report.h"
#include "tools/settings_json.h"

namespace {

constexpr const char* kUsage =
    "usage: swfpack build --base PLAYER.exe --movie M.swf [--settings S.json] [--icon I.ico] [--cursor C.cur]"
    " [--splash P.jpg] [--runtime MODULE.dll] [--runtime-warning TEXT] -o OUT.exe"
    " | info [--json] [--census] FILE | extract PLAYER.exe -o M.swf | settings --defaults";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::vector<uint8_t> ReadWholeFile(const std::string& name) {
  const std::filesystem::path path = PathOf(name);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw std::runtime_error(name + ": is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(name + ": cannot open for reading");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw std::runtime_error(name + ": cannot determine its size");
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw std::runtime_error(name + ": read failed");
  return bytes;
}

void WriteWholeFile(const std::string& name, std::span<const uint8_t> bytes) {
  std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error(name + ": cannot open for writing");
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error(name + ": write failed");
}

// Writes through a temporary file beside the output and renames it, so a
// failed or interrupted write leaves no half player under the output's name.
void WriteWholeFileAtomically(const std::string& name, std::span<const uint8_t> bytes) {
  const std::string partial = name + ".partial";
  try {
    WriteWholeFile(partial, bytes);
    std::filesystem::rename(PathOf(partial), PathOf(name));
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(PathOf(partial), ignored);
    throw;
  }
}

// Options of the form --name VALUE (or -o VALUE), flags of the form --name, and positionals.
struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> flags;
  std::vector<std::string> positionals;

  bool Flag(const std::string& name) const {
    return std::find(flags.begin(), flags.end(), name) != flags.end();
  }
  std::optional<std::string> Value(const std::string& name) const {
    const auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
  std::string Required(const std::string& name) const {
    if (auto v = Value(name)) return *v;
    throw UsageError("missing " + name);
  }
};

Options Parse(const std::vector<std::string>& args, size_t first, const std::vector<std::string>& valueOptions,
              const std::vector<std::string>& flagOptions) {
  Options o;
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (std::find(valueOptions.begin(), valueOptions.end(), a) != valueOptions.end()) {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      if (o.values.count(a)) throw UsageError(a + " given twice");
      o.values[a] = args[++i];
    } else if (std::find(flagOptions.begin(), flagOptions.end(), a) != flagOptions.end()) {
      o.flags.push_back(a);
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else {
      o.positionals.push_back(a);
    }
  }
  return o;
}

PlayerSettings ReadSettingsFile(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadWholeFile(name);
  SettingsJson json;
  try {
    json = SettingsJson::parse(bytes.begin(), bytes.end());
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error(name + ": not valid JSON (byte " + std::to_string(e.byte) + ")");
  }
  try {
    return SettingsFromJson(json, DefaultPlayerSettings());
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(name + ": " + e.what());
  }
}

int Build(const std::vector<std::string>& args, std::ostream& out) {
  const Options o = Parse(args, 1,
                          {"--base", "--movie", "--settings", "--icon", "--cursor", "--splash", "--runtime",
                           "--runtime-warning", "-o"},
                          {});
  if (!o.positionals.empty()) throw UsageError("unexpected argument " + o.positionals.front());
  PackageInputs in;
  in.base = ReadWholeFile(o.Required("--base"));
  in.movie = ReadWholeFile(o.Required("--movie"));
  const std::string output = o.Required("-o");
  in.settings = o.Value("--settings") ? ReadSettingsFile(*o.Value("--settings")) : DefaultPlayerSettings();
  if (auto f = o.Value("--icon")) in.icon = ReadWholeFile(*f);
  if (auto f = o.Value("--cursor")) in.cursor = ReadWholeFile(*f);
  if (auto f = o.Value("--splash")) in.splash = ReadWholeFile(*f);
  if (auto f = o.Value("--runtime")) in.runtime = ReadWholeFile(*f);
  if (auto text = o.Value("--runtime-warning")) in.runtimeWarning = Utf8ToLatin1(*text, "--runtime-warning");
  const std::vector<uint8_t> player = BuildPlayer(in);
  WriteWholeFileAtomically(output, player);
  out << "wrote " << output << " (" << player.size() << " bytes)\n";
  return 0;
}

int Info(const std::vector<std::string>& args, std::ostream& out) {
  const Options o = Parse(args, 1, {}, {"--json", "--census"});
  if (o.positionals.size() != 1) throw UsageError("info takes one file");
  const FileSource file(PathOf(o.positionals[0]), o.positionals[0]);
  const PackageReport report = InspectPlayerFile(file, o.Flag("--census"));
  if (o.Flag("--json")) out << ReportToJson(report).dump(2) << "\n";
  else out << ReportToText(report);
  return 0;
}

int Extract(const std::vector<std::string>& args, std::ostream& out) {
  const Options o = Parse(args, 1, {"-o"}, {});
  if (o.positionals.size() != 1) throw UsageError("extract takes one player file");
  const FileSource file(PathOf(o.positionals[0]), o.positionals[0]);
  const PlayerPackageLayout layout = WalkPlayerPackage(file);
  if (!layout.movie) throw std::runtime_error(o.positionals[0] + ": not a player package (no movie block)");
  const std::string output = o.Required("-o");
  WriteWholeFileAtomically(output, ReadBlockPayload(file, *layout.movie));
  out << "wrote " << output << " (" << layout.movie->length << " bytes)\n";
  return 0;
}

int Settings(const std::vector<std::string>& args, std::ostream& out) {
  const Options o = Parse(args, 1, {}, {"--defaults"});
  if (!o.Flag("--defaults") || !o.positionals.empty()) throw UsageError("settings takes --defaults");
  out << SettingsToJson(DefaultPlayerSettings()).dump(2) << "\n";
  return 0;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

int RunSwfpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError("no command");
    const std::string& command = args[0];
    if (command == "build") return Build(args, out);
    if (command == "info") return Info(args, out);
    if (command == "extract") return Extract(args, out);
    if (command == "settings") return Settings(args, out);
    if (command == "--help" || command == "-h" || command == "help") {
      out << kUsage << "\n";
      return 0;
    }
    throw UsageError("unknown command " + command);
  } catch (const UsageError& e) {
    err << "swfpack: " << OneLine(e.what()) << " (" << kUsage << ")\n";
  } catch (const std::exception& e) {
    err << "swfpack: error: " << OneLine(e.what()) << "\n";
  }
  return 1;
}
