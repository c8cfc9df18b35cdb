// The stand-in module mapped by the project's in-memory loader, with its seven
// intercepted imports answered by the player's substitutes: a movie held in
// memory reaches it through the content manager, and the sound switch mutes it.
#include <gtest/gtest.h>

#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "flashrt/import_hooks_win.h"
#include "tests/standin/standin_harness_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace standin_test;
using namespace swfp::wintest;

namespace {

// The part of a Flash control the content manager talks to.
class Client final : public flashrt::TContentClient {
 public:
  explicit Client(IShockwaveFlash* flash) : flash_(flash) {}
  std::wstring ContentBase() override { return L""; }
  bool LoadExternalResource(const std::string&, flashrt::TMemoryStream&) override { return false; }
  void SetMovieURL(const std::wstring& url) override { flash_->put_Movie(Bstr(url)); }
  void LoadMovieURL(int32_t layer, const std::wstring& url) override { flash_->LoadMovie(layer, Bstr(url)); }

 private:
  IShockwaveFlash* flash_;
};

// OLE for the test's thread, given up after everything that used it has gone.
struct OleSession {
  OleSession() { EXPECT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  ~OleSession() { OleUninitialize(); }
};

}  // namespace

TEST(InMemoryStandin, MappedModulePlaysAMovieFromMemoryAndHonoursTheSoundSwitch) {
  OleSession ole;
  StandinLog log;
  flashrt::FlashRuntimeUnit unit(flashrt::MakeContentManager);
  std::vector<uint8_t> image = ReadWholeFile(ExeFolder() / L"flash_standin.dll");
  ASSERT_FALSE(image.empty());
  flashrt::LoadFlashOCXCodeFromStream(image);
  ASSERT_NE(flashrt::FlashOCXCodeProvider(), nullptr);

  HostWindow host;
  ComPtr<IOleObject> object;
  ASSERT_EQ(flashrt::FlashOCXCodeProvider()->CreateInstance(IID_PPV_ARGS(&object)), S_OK);
  ComPtr<IShockwaveFlash> flash;
  ASSERT_EQ(object.As(&flash), S_OK);
  ComPtr<TestSite> site = standin::Adopt(new TestSite(host.hwnd()));
  const HWND stage = ActivateInPlace(object.Get(), site.Get(), host.hwnd(), RECT{0, 0, 320, 240});
  ASSERT_TRUE(stage);

  // Window class, cursor and menu came through the substitutes: the class under the
  // host's per-process name, cursor and menu from the mapped image's resources.
  char className[128] = {};
  GetClassNameA(stage, className, sizeof className);
  EXPECT_STREQ(className, flashrt::FlashWindowClassName());
  auto lines = log.Lines();
  EXPECT_GE(FindLine(lines, "import LoadCursorA 101 ok=1"), 0);
  EXPECT_GE(FindLine(lines, "import LoadMenuA 102 ok=1"), 0);
  EXPECT_GE(FindLine(lines, "import CreateWindowExA FlashStandinStage hwnd=1"), 0);

  std::vector<uint8_t> movie = SwfWriter()
                                   .FrameRate(20)
                                   .SoundStreamHead(SwfSoundRate::k22050, false, 1102)
                                   .FSCommand("ready", "memory")
                                   .ShowFrame()
                                   .ShowFrame()
                                   .Build();
  // This runtime fetches on a worker thread of its own: the content manager
  // answers it there, and the events still arrive on this thread's loop.
  SetEnvironmentVariableW(L"FLASH_STANDIN_FETCH", L"worker");
  Client client(flash.Get());
  flashrt::TMemoryStream stream(movie);
  std::string pseudo = flashrt::ContentManager().PutMovieFromStream(client, stream);
  const int ready = log.AwaitPrefix("event FSCommand ready memory");
  SetEnvironmentVariableW(L"FLASH_STANDIN_FETCH", nullptr);
  ASSERT_GE(ready, 0) << log.Dump();
  EXPECT_GE(log.FindLine("fetch " + pseudo + " thread=worker"), 0) << log.Dump();
  // The thread's name lives in the module's static TLS: the worker sees its own copy.
  EXPECT_GE(log.FindLine("fetched on worker"), 0) << log.Dump();
  long frames = 0;
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 2);

  lines = log.Lines();
  int path = FindLine(lines, "call put_Movie " + pseudo);
  ASSERT_GE(path, 0) << pseudo;
  // The pseudo path is not a file; the module asks for it as a URL and gets the memory copy.
  EXPECT_GE(FindLine(lines, "import CreateFileA " + pseudo + " ok=0", path), 0);
  int moniker = FindPrefix(lines, "import CreateURLMoniker file:///Z:/FromMemory/", path);
  EXPECT_GE(moniker, 0);
  EXPECT_GE(FindLine(lines, "movie bytes " + std::to_string(movie.size()) + " chunks 1", moniker), 0);
  EXPECT_GE(FindLine(lines, "event FSCommand ready memory", moniker), 0);

  // Sound on: tone buffers arrive intact. Sound off: the substitute zeroes them.
  flashrt::SetFlashSoundEnabled(true);
  ASSERT_EQ(flash->put_Loop(VARIANT_TRUE), S_OK);
  ASSERT_EQ(flash->Play(), S_OK);
  EXPECT_GE(log.AwaitPrefix("audio buffer zeroed=0"), 0) << log.Dump();
  flashrt::SetFlashSoundEnabled(false);
  const int off = log.AwaitPrefix("audio buffer zeroed=1", static_cast<int>(log.Lines().size()));
  flashrt::SetFlashSoundEnabled(true);
  EXPECT_GE(off, 0) << log.Dump();
  EXPECT_GE(log.FindPrefix("import waveOutWrite "), 0);

  // A load on this thread, which existed before the module was mapped, sees the
  // initial value: the worker's write stayed in the worker's block.
  const int mark = static_cast<int>(log.Lines().size());
  flashrt::TMemoryStream second(SwfWriter().FSCommand("ready", "again").ShowFrame().Build());
  flashrt::ContentManager().PutMovieFromStream(client, second);
  ASSERT_GE(log.AwaitPrefix("event FSCommand ready again", mark), 0) << log.Dump();
  EXPECT_GE(log.FindLine("fetched on main", mark), 0) << log.Dump();

  // Everything of the module is released before the provider unmaps it.
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
  flash.Reset();
  object.Reset();
}
