#include "tools/swfpack.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/module_inflate.h"
#include "app/player_package.h"
#include "flashrt/pe_resource_writer.h"
#include "flashhost/movie_info.h"
#include "tests/support/file_bytes.h"
#include "tests/support/swf_writer.h"
#include "tools/settings_json.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Fixture(const std::string& dir, const std::string& name) {
  std::vector<uint8_t> bytes = swfp::test::ReadWholeFile(fs::path(dir) / name);
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

class SwfpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("swfpack-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // A real 64-bit image stands in for the player: build rewrites its resources.
    Write("player.exe", Fixture(SWFP_PE_FIXTURE_DIR, "pe64_default.dll"));
    movie_ = SwfWriter().Version(9).FrameSize(550, 400).FrameRate(24).Compressed(true)
                 .DefineRectangle(1, 10, 10, {1, 2, 3}).ShowFrame().ShowFrame().Build();
    Write("movie.swf", movie_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    swfp::test::WriteWholeFile(dir_ / name, bytes);
  }
  void WriteText(const std::string& name, const std::string& text) const { std::ofstream(dir_ / name) << text; }
  std::vector<uint8_t> Read(const std::string& name) const { return swfp::test::ReadWholeFile(dir_ / name); }

  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args) const {
    std::ostringstream out, err;
    const int status = RunSwfpack(args, out, err);
    return {status, out.str(), err.str()};
  }
  // A failure: status 1 and exactly one line on stderr that contains `needle`.
  void ExpectError(const std::vector<std::string>& args, const std::string& needle) const {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
  }
  SettingsJson InfoJson(const std::string& file, bool census = false) const {
    std::vector<std::string> args{"info", "--json", Path(file)};
    if (census) args.push_back("--census");
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return SettingsJson::parse(r.out);
  }

  fs::path dir_;
  std::vector<uint8_t> movie_;
};

std::vector<uint8_t> IconFile(uint8_t type) {
  std::vector<uint8_t> f{0, 0, type, 0, 1, 0};
  f.resize(6 + 16 + 40, 0x11);
  return f;
}

TEST_F(SwfpackTest, BuildInfoAndSettingsRoundTrip) {
  WriteText("settings.json", R"({"Title": "Caf\u00e9 demo", "FileVersion": [3, 1, 4, 1],
                                  "WindowPosition": 9, "WindowLeft": -20, "ShowTrayIcon": true, "Loop": false})");
  Write("app.ico", Fixture(SWFP_IMAGE_FIXTURE_DIR, "green_multi.ico"));
  Write("hand.cur", IconFile(2));
  Write("splash.jpg", Fixture(SWFP_IMAGE_FIXTURE_DIR, "baseline.jpg"));
  // build checks the module: it must be a real DLL exporting DllGetClassObject, of the base's bitness.
  const std::vector<uint8_t> module = Fixture(SWFP_PE_FIXTURE_DIR, "pe64_wide_aligned.dll");
  Write("flash.ocx", module);

  const Result built = Run({"build", "--base", Path("player.exe"), "--movie", Path("movie.swf"), "--settings",
                            Path("settings.json"), "--icon", Path("app.ico"), "--cursor", Path("hand.cur"), "--splash",
                            Path("splash.jpg"), "--runtime", Path("flash.ocx"), "-o", Path("out.exe")});
  ASSERT_EQ(built.status, 0) << built.err;
  const std::vector<uint8_t> player = Read("out.exe");

  const SettingsJson info = InfoJson("out.exe", true);
  EXPECT_TRUE(info["player"].get<bool>());
  std::vector<uint32_t> kinds;
  for (const auto& b : info["blocks"]) kinds.push_back(b["kind"].get<uint32_t>());
  EXPECT_EQ(kinds, (std::vector<uint32_t>{kPackageMovieKind, 7, 3, 2, 1, 5, 0})) << "layout order, read backwards";
  EXPECT_EQ(info["blocks"][0]["length"], movie_.size());

  const SettingsJson& settings = info["settings"];
  EXPECT_EQ(settings["Title"], "Caf\u00e9 demo");
  EXPECT_EQ(settings["FileVersion"], SettingsJson({3, 1, 4, 1}));
  EXPECT_EQ(settings["WindowLeft"], -20);
  EXPECT_EQ(settings["Loop"], false);
  EXPECT_EQ(settings["AutoPlay"], true) << "keys the file leaves out take the defaults";

  const SettingsJson& movie = info["movie"];
  EXPECT_EQ(movie["MovieWidth"], 550);
  EXPECT_EQ(movie["MovieHeight"], 400);
  EXPECT_EQ(movie["MovieFPS"], 24.0);
  EXPECT_EQ(movie["MovieFlashVersion"], 9);
  EXPECT_EQ(movie["Compressed"], true);
  EXPECT_EQ(movie["MovieSize"], movie_.size());
  EXPECT_EQ(movie["Census"]["Shapes"], 1);
  EXPECT_EQ(info["movieInformation"]["Xmax"], 550);
  EXPECT_EQ(info["movieInformation"]["Reserved16"], 2);

  // The runtime block is the module as one zlib stream, as the player inflates it.
  const auto& runtimeBlock = info["blocks"][2];
  const auto packed = std::span(player).subspan(runtimeBlock["offset"].get<size_t>(), runtimeBlock["length"].get<size_t>());
  EXPECT_EQ(InflateRuntimeModule(packed), module);

  // The settings object fed back to build gives the same settings block.
  WriteText("again.json", settings.dump());
  ASSERT_EQ(Run({"build", "--base", Path("player.exe"), "--movie", Path("movie.swf"), "--settings", Path("again.json"),
                 "-o", Path("again.exe")}).status, 0);
  const SettingsJson again = InfoJson("again.exe");
  EXPECT_EQ(again["settings"], settings);

  ASSERT_EQ(Run({"extract", Path("out.exe"), "-o", Path("back.swf")}).status, 0);
  EXPECT_EQ(Read("back.swf"), movie_);
}

TEST_F(SwfpackTest, DefaultSettingsFileIsCompleteAndAccepted) {
  const Result r = Run({"settings", "--defaults"});
  ASSERT_EQ(r.status, 0);
  const SettingsJson defaults = SettingsJson::parse(r.out);
  EXPECT_EQ(defaults.size(), PlayerSettingsFields().size());
  WriteText("defaults.json", r.out);
  ASSERT_EQ(Run({"build", "--base", Path("player.exe"), "--movie", Path("movie.swf"), "--settings",
                 Path("defaults.json"), "-o", Path("p.exe")}).status, 0);
  EXPECT_EQ(InfoJson("p.exe")["settings"], defaults);
  EXPECT_EQ(defaults["VisibleCommands"], kVisibleAllCommands);
}

TEST_F(SwfpackTest, InfoOnBareMoviesWithAndWithoutTrailer) {
  const SettingsJson bare = InfoJson("movie.swf");
  EXPECT_FALSE(bare["player"].get<bool>());
  EXPECT_TRUE(bare["blocks"].empty());
  EXPECT_EQ(bare["movie"]["MovieSize"], movie_.size());

  std::vector<uint8_t> wrapped(300, 0x90);
  const auto trailer = WithMovieTrailer(movie_);
  wrapped.insert(wrapped.end(), trailer.begin(), trailer.end());
  Write("selfrun.exe", wrapped);
  const SettingsJson info = InfoJson("selfrun.exe");
  EXPECT_EQ(info["movie"]["MovieSize"], movie_.size()) << "the embedded block, not the whole file";
  EXPECT_EQ(info["movie"]["MovieWidth"], 550);

  // A movie taken from such a file is packed without its trailer.
  ASSERT_EQ(Run({"build", "--base", Path("player.exe"), "--movie", Path("selfrun.exe"), "-o", Path("p.exe")}).status, 0);
  ASSERT_EQ(Run({"extract", Path("p.exe"), "-o", Path("m.swf")}).status, 0);
  EXPECT_EQ(Read("m.swf"), movie_);
}

TEST_F(SwfpackTest, BadInputsFailWithOneLine) {
  const std::string base = Path("player.exe"), movie = Path("movie.swf");
  Write("app.ico", IconFile(1));  // its image runs past the end of the file
  ExpectError({"info", Path("missing.exe")}, "cannot open");
  ExpectError({"info", dir_.string()}, "folder");
  ExpectError({"info", base}, "neither a player package nor a SWF movie");
  for (const char* nearlySwf : {"FWX", "FXS", "XWS", "CW"}) {  // each letter of the signature counts
    WriteText("near.bin", std::string(nearlySwf) + std::string(40, '\x0A'));
    ExpectError({"info", Path("near.bin")}, "neither");
  }
  ExpectError({"extract", base, "-o", Path("x.swf")}, "not a player package");
  ExpectError({"frobnicate"}, "unknown command");
  ExpectError({"build", "--base", base, "--movie", movie}, "missing -o");
  ExpectError({"build", "--base", base, "--movie", movie, "--colour", "red", "-o", Path("x")}, "unknown option");
  ExpectError({"build", "--base", movie, "--movie", movie, "-o", Path("x.exe")}, "not a Windows executable");
  ExpectError({"build", "--base", base, "--movie", base, "-o", Path("x.exe")}, "not a SWF");

  Write("empty.dll", std::vector<uint8_t>{});
  ExpectError({"build", "--base", base, "--movie", movie, "--runtime", Path("empty.dll"), "-o", Path("x.exe")},
              "runtime module is empty");
  ExpectError({"build", "--base", base, "--movie", movie, "--icon", Path("movie.swf"), "-o", Path("x.exe")},
              "icon");
  ExpectError({"build", "--base", base, "--movie", movie, "--cursor", Path("empty.dll"), "-o", Path("x.exe")},
              "cursor");
  ExpectError({"build", "--base", base, "--movie", movie, "--splash", base, "-o", Path("x.exe")}, "JPEG");
  ExpectError({"build", "--base", base, "--movie", movie, "--icon", Path("app.ico"), "-o", Path("x.exe")}, "outside");

  WriteText("bad.json", "{\"Title\": ");
  ExpectError({"build", "--base", base, "--movie", movie, "--settings", Path("bad.json"), "-o", Path("x.exe")},
              "not valid JSON");
  WriteText("long.json", "{\"Title\": \"" + std::string(51, 'x') + "\"}");
  ExpectError({"build", "--base", base, "--movie", movie, "--settings", Path("long.json"), "-o", Path("x.exe")},
              "Title");
  ExpectError({"build", "--base", base, "--movie", movie, "--runtime-warning", "\xE2\x82\xAC", "-o", Path("x.exe")},
              "--runtime-warning");
  EXPECT_FALSE(fs::exists(dir_ / "x.exe")) << "nothing is written when the input is refused";

  // A player whose package is already there cannot be packed again.
  ASSERT_EQ(Run({"build", "--base", base, "--movie", movie, "-o", Path("p.exe")}).status, 0);
  ExpectError({"build", "--base", Path("p.exe"), "--movie", movie, "-o", Path("x.exe")}, "already carries");
}

TEST_F(SwfpackTest, DamagedPlayersAreReportedNotTrusted) {
  ASSERT_EQ(Run({"build", "--base", Path("player.exe"), "--movie", Path("movie.swf"), "-o", Path("p.exe")}).status, 0);
  std::vector<uint8_t> player = Read("p.exe");

  auto huge = player;
  huge[huge.size() - 1] = 0x7F;  // movie length near 2 GiB
  Write("huge.exe", huge);
  ExpectError({"info", Path("huge.exe")}, "movie");
  ExpectError({"extract", Path("huge.exe"), "-o", Path("m.swf")}, "corrupt");

  auto truncated = player;
  truncated.resize(player.size() - 3);  // package trailer cut
  Write("cut.exe", truncated);
  ExpectError({"extract", Path("cut.exe"), "-o", Path("m.swf")}, "not a player package");
  ExpectError({"info", Path("cut.exe")}, "neither");
}

// A copy of a file with every occurrence of `from` replaced by `to` (same length).
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::string_view from, std::string_view to) {
  for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), from.begin(), from.end())) != bytes.end();)
    it = std::copy(to.begin(), to.end(), it);
  return bytes;
}

TEST_F(SwfpackTest, BuildRefusesWhatCannotWorkAndLeavesNoOutput) {
  const std::vector<uint8_t> module64 = Fixture(SWFP_PE_FIXTURE_DIR, "pe64_wide_aligned.dll");
  Write("m64.dll", module64);
  Write("m32.dll", Fixture(SWFP_PE_FIXTURE_DIR, "pe32_default.dll"));
  Write("player32.exe", Fixture(SWFP_PE_FIXTURE_DIR, "pe32_page_aligned.dll"));
  Write("noexport.dll", Patched(module64, "DllGetClassObject", "DllGetClassObjecX"));
  auto notDll = module64;
  const size_t nt = notDll[0x3C] | notDll[0x3D] << 8;
  notDll[nt + 23] &= ~0x20;  // IMAGE_FILE_DLL
  Write("notdll.dll", notDll);
  Write("twelve.jpg", Fixture(SWFP_IMAGE_FIXTURE_DIR, "twelve_bit.jpg"));

  struct Refusal {
    std::vector<std::string> extra;
    std::string base, needle;
  };
  const Refusal refusals[] = {
      {{"--runtime", Path("m64.dll"), "--runtime-warning", "Flash is needed"}, "player.exe", "exclude each other"},
      {{"--runtime", Path("m32.dll")}, "player.exe", "32-bit but the base player is 64-bit"},
      {{"--runtime", Path("m64.dll")}, "player32.exe", "64-bit but the base player is 32-bit"},
      {{"--runtime", Path("noexport.dll")}, "player.exe", "DllGetClassObject"},
      {{"--runtime", Path("notdll.dll")}, "player.exe", "not a DLL"},
      {{"--splash", Path("twelve.jpg")}, "player.exe", "splash cannot be shown by the player"},
  };
  for (const Refusal& r : refusals) {
    std::vector<std::string> args{"build", "--base", Path(r.base), "--movie", Path("movie.swf"), "-o", Path("x.exe")};
    args.insert(args.end(), r.extra.begin(), r.extra.end());
    ExpectError(args, r.needle);
    EXPECT_FALSE(fs::exists(dir_ / "x.exe")) << r.needle;
    EXPECT_FALSE(fs::exists(dir_ / "x.exe.partial")) << r.needle;
  }
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The player's icon and version are read back by icoutils, which knows nothing of this code.
TEST_F(SwfpackTest, BuiltPlayersCarryTheIconAndVersionInTheirResources) {
  WriteText("settings.json", R"({"Title": "Orbit", "CompanyName": "Acme", "FileVersion": [2, 5, 0, 7]})");
  for (const char* icon : {"green_multi.ico", "red_png256.ico"}) {
    SCOPED_TRACE(icon);
    const std::vector<uint8_t> ico = Fixture(SWFP_IMAGE_FIXTURE_DIR, icon);
    Write("app.ico", ico);
    ASSERT_EQ(Run({"build", "--base", Path("player.exe"), "--movie", Path("movie.swf"), "--settings",
                   Path("settings.json"), "--icon", Path("app.ico"), "-o", Path("p.exe")}).status, 0);
    ASSERT_EQ(Shell("wrestool -x --type=14 -o " + Path("back.ico") + " " + Path("p.exe")), 0);
    // Every image of the icon, in its order (wrestool writes filler bytes behind the last one).
    const auto back = Read("back.ico");
    ASSERT_GE(back.size(), ico.size());
    EXPECT_TRUE(std::equal(ico.begin(), ico.end(), back.begin()));
    ASSERT_EQ(Shell("wrestool -x --type=16 --raw -o " + Path("version.bin") + " " + Path("p.exe")), 0);
    const auto version = Read("version.bin");
    const std::u16string_view company{u"CompanyName\0\0Acme", 17};  // key, padding to 4 bytes, value
    EXPECT_NE(std::search(version.begin(), version.end(), reinterpret_cast<const uint8_t*>(company.data()),
                          reinterpret_cast<const uint8_t*>(company.data() + company.size())), version.end());
    // The base's other resources stay.
    ASSERT_EQ(Shell("wrestool -l " + Path("p.exe") + " > " + Path("list.txt")), 0);
    const auto list = Read("list.txt");
    EXPECT_NE(std::string(list.begin(), list.end()).find("--type=10 --name=103 --language=1031"), std::string::npos);
    ASSERT_EQ(Run({"extract", Path("p.exe"), "-o", Path("m.swf")}).status, 0);
    EXPECT_EQ(Read("m.swf"), movie_);
  }
}

// The rewritten tree reads back item for item from images of both kinds and every alignment.
TEST(PeResourceWriter, RewrittenImagesReadBackWhatWasWritten) {
  for (const char* name : {"pe32_default.dll", "pe32_page_aligned.dll", "pe32_small_aligned.dll", "pe64_default.dll",
                           "pe64_wide_aligned.dll"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = Fixture(SWFP_PE_FIXTURE_DIR, name);
    std::vector<flashrt::pe::ResourceItem> items = flashrt::pe::ReadResourceItems(file);
    ASSERT_GE(items.size(), 8u);
    items.erase(items.begin());
    items.push_back({{0, u"MOVIE"}, {7, {}}, 0x407, 1252, std::vector<uint8_t>(1001, 0x5A)});
    items.push_back({{10, {}}, {0, u"Zed"}, 0, 0, {}});
    std::vector<uint8_t> rewritten = flashrt::pe::ReplaceResources(file, items);
    const auto back = flashrt::pe::ReadResourceItems(rewritten);
    ASSERT_EQ(back.size(), items.size());
    for (const auto& item : items) {
      const auto found = std::find_if(back.begin(), back.end(), [&](const flashrt::pe::ResourceItem& b) {
        return b.type == item.type && b.name == item.name && b.language == item.language;
      });
      ASSERT_NE(found, back.end());
      EXPECT_EQ(found->data, item.data);
      EXPECT_EQ(found->codePage, item.codePage);
    }
    // Text names sort first, so the new type leads the tree.
    EXPECT_EQ(back.front().type.text, u"MOVIE");
  }
}

}  // namespace
