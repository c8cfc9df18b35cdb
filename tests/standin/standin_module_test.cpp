// The stand-in Flash module as a container sees it, loaded by the system loader:
// what the product's tests rely on of it (COM rules, strict use of the site,
// loading after the request returns, events, logged calls, painting).
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/standin/standin_harness_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "winbase/handles_win.h"

using namespace standin_test;
using namespace swfp::wintest;
using namespace std::chrono_literals;

namespace {

using Args = std::vector<std::wstring>;

class StandinModule : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override {
    Shutdown();
    OleUninitialize();
  }

  // Creates the default module's object with the sink on its events.
  void Create() {
    object = CreateFromModule(L"flash_standin.dll");
    ASSERT_TRUE(object);
    ASSERT_EQ(object.As(&flash), S_OK);
    ASSERT_NE(AdviseEvents(object.Get(), sink.Get()), 0u);
  }
  // ... and activates it in place in the host window.
  void Activate(RECT position = {10, 20, 410, 320}) {
    Create();
    stage = ActivateInPlace(object.Get(), site.Get(), host.hwnd(), position);
    ASSERT_TRUE(stage);
  }

  // Asks for a movie and lets the loop run until the runtime has it, or has given up.
  void Load(const std::wstring& location) {
    const int from = static_cast<int>(log.Lines().size());
    ASSERT_EQ(flash->put_Movie(Bstr(location)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return log.FindPrefix("event ReadyStateChange 4", from) >= 0 ||
                                       log.FindPrefix("movie failed", from) >= 0; }, 10s)) << log.Dump();
  }

  void Shutdown() {
    if (object) {
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
    flash.Reset();
    object.Reset();
  }

  std::wstring WriteTempFile(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
    WriteWholeFile(temp.File(name), bytes);
    return temp.File(name).wstring();
  }

  std::vector<Args> ArgsOf(DISPID id) const { return sink->ArgsOf(id); }

  StandinLog log;
  TempFolder temp;
  HostWindow host;
  ComPtr<TestSite> site = standin::Adopt(new TestSite(host.hwnd()));
  ComPtr<EventSink> sink = standin::Adopt(new EventSink());
  ComPtr<IOleObject> object;
  ComPtr<IShockwaveFlash> flash;
  HWND stage = nullptr;
};

std::vector<uint8_t> ThreeFrames(bool compressed = false) {
  return SwfWriter()
      .FrameRate(30)
      .Compressed(compressed)
      .FrameLabel("one")
      .FSCommand("hello", "world")
      .ShowFrame()
      .FrameLabel("two")
      .ShowFrame()
      .FSCommand("quit", "")
      .ShowFrame()
      .Build();
}

// The stage window rendered into a bitmap of this process.
class Snapshot {
 public:
  explicit Snapshot(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    HDC screen = GetDC(window);
    dc_.reset(CreateCompatibleDC(screen));
    bitmap_.reset(CreateCompatibleBitmap(screen, r.right, r.bottom));
    ReleaseDC(window, screen);
    old_ = SelectObject(dc_.get(), bitmap_.get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.get()), PRF_CLIENT);
  }
  ~Snapshot() { SelectObject(dc_.get(), old_); }
  COLORREF at(int x, int y) const { return GetPixel(dc_.get(), x, y) & 0xFFFFFF; }

 private:
  swfp::win::UniqueDC dc_;
  swfp::win::UniqueGdiObject<HBITMAP> bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

// As strict as a real runtime where a container could go wrong: the class it asks
// for, aggregation, and a connection it ends twice.
TEST_F(StandinModule, FactoryAndConnectionPointsRefuseWhatARuntimeRefuses) {
  HMODULE module = nullptr;
  object = CreateFromModule(L"flash_standin.dll", &module);
  ASSERT_TRUE(object);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  void* out = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(getClassObject(IID_IShockwaveFlash, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_ShockwaveFlash, IID_PPV_ARGS(&factory)), S_OK);
  out = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(factory->CreateInstance(object.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);

  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(object.As(&container), S_OK);
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.GetAddressOf()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(DIID_ShockwaveFlashEvents, point.ReleaseAndGetAddressOf()), S_OK);
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST_F(StandinModule, ActivatesInPlaceWithSiteCallsInOrderAndClosesCleanly) {
  Activate();
  EXPECT_EQ(site->calls, (std::vector<std::string>{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow",
                                                   "GetWindowContext", "ShowObject"}));
  EXPECT_EQ(GetParent(stage), host.hwnd());

  // A second in-place activation only moves the window.
  RECT moved{0, 0, 200, 100}, r;
  site->calls.clear();
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &moved), S_OK);
  EXPECT_EQ(site->calls, std::vector<std::string>{"ShowObject"});
  GetWindowRect(stage, &r);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &moved), S_OK);
  EXPECT_EQ(std::count(site->calls.begin(), site->calls.end(), "OnUIActivate"), 1);

  site->calls.clear();
  EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_FALSE(IsWindow(stage));
  EXPECT_EQ(site->calls, (std::vector<std::string>{"OnUIDeactivate", "OnInPlaceDeactivate"}));
  HWND none = reinterpret_cast<HWND>(0x1234);
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(object.As(&inPlace), S_OK);
  EXPECT_EQ(inPlace->GetWindow(&none), E_FAIL);
  EXPECT_EQ(none, nullptr);
}

// A site call that fails ends the activation with its result and leaves no window;
// a site that had been told of the activation is told it ended.
TEST_F(StandinModule, ActivationFailsWhenASiteCallFails) {
  for (const std::string method : {"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext"}) {
    SCOPED_TRACE(method);
    Create();
    site = standin::Adopt(new TestSite(host.hwnd()));
    site->failing = method;
    ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
    RECT pos{0, 0, 100, 100};
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), E_FAIL);
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(object.As(&inPlace), S_OK);
    HWND none = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&none), E_FAIL);
    const bool told = method == "GetWindow" || method == "GetWindowContext";
    EXPECT_EQ(std::count(site->calls.begin(), site->calls.end(), "OnInPlaceDeactivate"), told ? 1 : 0);
    EXPECT_EQ(std::count(site->calls.begin(), site->calls.end(), "ShowObject"), 0);
    Shutdown();
  }
}

TEST_F(StandinModule, LoadsAMovieAfterTheRequestReturnedAndStepsThroughItsFrames) {
  Activate();
  const std::vector<uint8_t> bytes = ThreeFrames();
  const std::wstring path = WriteTempFile(L"three.swf", bytes);

  // The request only records the location: nothing is loaded and no event fires until the loop runs.
  ASSERT_EQ(flash->put_Movie(Bstr(path)), S_OK);
  long value = -1;
  EXPECT_EQ(flash->get_ReadyState(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(sink->events.empty());
  EXPECT_LT(log.FindPrefix("fetch "), 0) << log.Dump();
  // Asked to stand while the movie is on its way, it arrives standing on its first frame.
  ASSERT_EQ(flash->StopPlay(), S_OK);
  const int complete = log.AwaitPrefix("event ReadyStateChange 4");
  ASSERT_GE(complete, 0) << log.Dump();
  EXPECT_EQ(ArgsOf(DISPID_FlashOnReadyStateChange), (std::vector<Args>{{L"0"}, {L"3"}, {L"4"}}));
  EXPECT_EQ(ArgsOf(DISPID_FlashOnProgress).back(), Args{L"100"});
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand), (std::vector<Args>{{L"hello", L"world"}}));  // the frame shown at load
  const std::string narrow = WideToUtf8(path);
  EXPECT_GE(log.FindLine("fetch " + narrow + " thread=main"), 0) << log.Dump();
  EXPECT_GE(log.FindLine("import CreateFileA " + narrow + " ok=1"), 0) << log.Dump();
  EXPECT_GE(log.FindLine("movie bytes " + std::to_string(bytes.size()) + " chunks 1"), 0) << log.Dump();
  // With the movie there, the control asks its container to lay it out again.
  EXPECT_GT(log.FindLine("site RequestNewObjectLayout hr=0x80004001", complete), complete) << log.Dump();
  EXPECT_GT(log.FindLine("site OnPosRectChange hr=0x00000000", complete), complete) << log.Dump();
  EXPECT_EQ(flash->get_TotalFrames(&value), S_OK);
  EXPECT_EQ(value, 3);
  Bstr movie;
  EXPECT_EQ(flash->get_Movie(movie.out()), S_OK);
  EXPECT_EQ(movie.str(), path);

  // Stepping moves one frame at a time, and entering a frame runs its actions each time.
  EXPECT_EQ(flash->Forward(), S_OK);
  EXPECT_EQ(flash->Back(), S_OK);
  EXPECT_EQ(flash->GotoFrame(2), S_OK);
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand),
            (std::vector<Args>{{L"hello", L"world"}, {L"hello", L"world"}, {L"quit", L""}}));
  EXPECT_EQ(flash->TGotoLabel(Bstr(L"/"), Bstr(L"TWO")), S_OK);
  EXPECT_EQ(flash->get_FrameNum(&value), S_OK);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(flash->TGotoLabel(Bstr(L""), Bstr(L"nowhere")), E_INVALIDARG);
  VARIANT_BOOL playing = VARIANT_TRUE;
  EXPECT_EQ(flash->IsPlaying(&playing), S_OK);
  EXPECT_EQ(playing, VARIANT_FALSE);
}

TEST_F(StandinModule, LoadsAMovieThroughAUrlMonikerAndReplacesThePreviousOne) {
  Activate();
  const std::vector<uint8_t> second = SwfWriter().Compressed(true).ShowFrame().ShowFrame().Build();
  std::wstring url = L"file:///" + WriteTempFile(L"second.swf", second);
  std::replace(url.begin(), url.end(), L'\\', L'/');
  Load(WriteTempFile(L"first.swf", ThreeFrames(true)));
  log.Clear();
  ASSERT_EQ(flash->LoadMovie(0, Bstr(url)), S_OK);
  ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4"), 0) << log.Dump();
  long frames = 0;
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 2);
  EXPECT_GE(log.FindPrefix("import CreateURLMoniker " + WideToUtf8(url) + " hr=0x00000000"), 0) << log.Dump();
  EXPECT_GE(log.FindPrefix("movie bytes " + std::to_string(second.size()) + " chunks "), 0) << log.Dump();
  EXPECT_LT(log.FindPrefix("import CreateFileA"), 0) << "URLs never go to the file open";

  // A location that cannot be read leaves no movie behind.
  Load(temp.File(L"missing.swf").wstring());
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 0);
  EXPECT_GE(log.FindPrefix("movie failed"), 0) << log.Dump();
}

TEST_F(StandinModule, PlaysOnItsTimerStopsAtTheEndWithoutLoopAndWrapsWithIt) {
  Activate();
  ASSERT_EQ(flash->put_Loop(VARIANT_FALSE), S_OK);
  Load(WriteTempFile(L"timer.swf", ThreeFrames()));
  auto playing = [&] {
    VARIANT_BOOL p = VARIANT_FALSE;
    flash->IsPlaying(&p);
    return p == VARIANT_TRUE;
  };
  EXPECT_TRUE(playing());
  ASSERT_TRUE(PumpUntil([&] { return !playing(); }, 5s));
  long frame = -1;
  flash->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2);
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand).size(), 2u);  // hello at frame 0, quit at frame 2

  // Wrapping shows frame 0 again, whose command fires a second time.
  ASSERT_EQ(flash->put_Loop(VARIANT_TRUE), S_OK);
  ASSERT_EQ(flash->Play(), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return ArgsOf(DISPID_FlashFSCommand).size() >= 3; }, 5s));
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand)[2][0], L"hello");
}

TEST_F(StandinModule, PaintsTheMovieAndAMarkerOfTheZoomedView) {
  site->position = {0, 0, 550, 400};  // the window is made where the site's context says
  Activate(site->position);
  Load(WriteTempFile(L"paint.swf", SwfWriter()
                                       .FrameSize(550, 400)
                                       .SetBackgroundColor({0, 0, 128})
                                       .DefineRectangle(1, 100, 50, {255, 0, 0})
                                       .PlaceObject(1, 1, 400, 300)
                                       .ShowFrame()
                                       .Build()));
  const COLORREF background = RGB(0, 0, 128), red = RGB(255, 0, 0);
  auto expectFullView = [&] {
    Snapshot shot(stage);
    EXPECT_EQ(shot.at(540, 390), background);
    EXPECT_EQ(shot.at(450, 325), red);  // the rectangle at (400, 300), 100 x 50
    EXPECT_EQ(shot.at(1, 200), background);
  };
  expectFullView();
  // The top-left quarter, doubled: the rectangle leaves the picture and a red border marks the zoom.
  ASSERT_EQ(flash->SetZoomRect(0, 0, 5500, 4000), S_OK);
  {
    Snapshot shot(stage);
    EXPECT_EQ(shot.at(450, 325), background);
    EXPECT_EQ(shot.at(1, 200), red);
  }
  EXPECT_EQ(flash->SetZoomRect(100, 100, 100, 900), E_INVALIDARG);  // empty
  EXPECT_EQ(flash->Zoom(80), S_OK);
  // Showing the whole movie again restores the first picture.
  EXPECT_EQ(SendMessageW(stage, WM_COMMAND, FLASH_CMD_SHOW_ALL, 0), 0);
  expectFullView();
  const int zoom = log.FindLine("call Zoom 80");
  EXPECT_GE(zoom, 0) << log.Dump();
  EXPECT_GT(log.FindLine("command 20034 showall", zoom), zoom) << log.Dump();

  // The movie's own colour gives way to an assigned background colour.
  ASSERT_EQ(flash->put_BackgroundColor(0x00FF00), S_OK);
  EXPECT_EQ(Snapshot(stage).at(540, 390), RGB(0, 255, 0));
}

TEST_F(StandinModule, AMovieLoadedBeforeActivationShowsItsFirstFrameWhenTheWindowExists) {
  Create();
  Load(WriteTempFile(L"early.swf", ThreeFrames()));
  long frames = 0;
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 3);
  EXPECT_TRUE(ArgsOf(DISPID_FlashFSCommand).empty());
  RECT pos{0, 0, 200, 100};
  ASSERT_TRUE(ActivateInPlace(object.Get(), site.Get(), host.hwnd(), pos));
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand), (std::vector<Args>{{L"hello", L"world"}}));
  // A second activation does not show the frame again.
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), S_OK);
  EXPECT_EQ(ArgsOf(DISPID_FlashFSCommand).size(), 1u);
}
