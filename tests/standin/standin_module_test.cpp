// The stand-in Flash module as a container sees it, loaded by the system loader.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/standin/standin_harness_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace standin_test;
using namespace swfp::wintest;
using namespace std::chrono_literals;

namespace {

class StandinModule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  }
  void TearDown() override { OleUninitialize(); }

  // Creates the default module's object, activates it in the host window with a fresh site.
  void Activate(const std::wstring& module = L"flash_standin.dll") {
    object = CreateFromModule(module);
    ASSERT_TRUE(object);
    ASSERT_TRUE(SUCCEEDED(object.As(&flash)));
    site = standin::Adopt(new TestSite(host.hwnd()));
    ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
    RECT pos{10, 20, 410, 320};
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), S_OK);
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_TRUE(SUCCEEDED(object.As(&inPlace)));
    ASSERT_EQ(inPlace->GetWindow(&stage), S_OK);
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
  ~StandinModule() override { Shutdown(); }

  // A path in this test's own temporary folder.
  std::wstring TempPath(const std::wstring& name) const { return temp.File(name).wstring(); }
  std::wstring WriteTempFile(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
    WriteWholeFile(temp.File(name), bytes);
    return TempPath(name);
  }

  StandinLog log;
  TempFolder temp;
  HostWindow host;
  ComPtr<IOleObject> object;
  ComPtr<IShockwaveFlash> flash;
  ComPtr<TestSite> site;
  HWND stage = nullptr;
};

std::vector<uint8_t> ThreeFrames(bool compressed = false) {
  return SwfWriter()
      .FrameSize(550, 400)
      .FrameRate(30)
      .Compressed(compressed)
      .SetBackgroundColor({0, 0, 128})
      .DefineRectangle(1, 100, 50, {255, 0, 0})
      .PlaceObject(1, 1, 10, 20)
      .FrameLabel("one")
      .FSCommand("hello", "world")
      .ShowFrame()
      .FrameLabel("two")
      .ShowFrame()
      .FSCommand("quit", "")
      .ShowFrame()
      .Build();
}

}  // namespace

TEST_F(StandinModule, FactoryAndObjectFollowTheComRules) {
  HMODULE module = nullptr;
  object = CreateFromModule(L"flash_standin.dll", &module);
  ASSERT_TRUE(object);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_TRUE(canUnload);
  ASSERT_TRUE(GetProcAddress(module, "DllRegisterServer"));
  ASSERT_TRUE(GetProcAddress(module, "DllUnregisterServer"));

  void* out = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(getClassObject(IID_IShockwaveFlash, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_ShockwaveFlash, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  out = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(factory->CreateInstance(object.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE);  // the factory and the object are alive

  // Every interface a container relies on, all with one identity.
  const IID* iids[] = {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IOleControl,
                       &IID_IPersistStreamInit, &IID_IConnectionPointContainer, &IID_IDispatch, &IID_IShockwaveFlash,
                       &IID_IOleWindow, &IID_IPersist};
  ComPtr<IUnknown> identity;
  ASSERT_EQ(object.As(&identity), S_OK);
  for (const IID* iid : iids) {
    ComPtr<IUnknown> part, back;
    ASSERT_EQ(object->QueryInterface(*iid, reinterpret_cast<void**>(part.GetAddressOf())), S_OK);
    ASSERT_EQ(part.As(&back), S_OK);
    EXPECT_EQ(back.Get(), identity.Get());
  }
  out = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  ULONG before = object->AddRef();
  EXPECT_EQ(object->Release(), before - 1);

  // Connection points: events and property notifications, nothing else.
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(object.As(&container), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.GetAddressOf()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(DIID_ShockwaveFlashEvents, point.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<EventSink> sink;
  sink = standin::Adopt(new EventSink());
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

  SIZEL extent{};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  SIZEL wanted{17198, 12594};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 17198);
  EXPECT_EQ(extent.cy, 12594);

  point.Reset();
  container.Reset();
  identity.Reset();
  sink.Reset();
  factory.Reset();
  object.Reset();
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(StandinModule, ActivatesInPlaceWithSiteCallsInOrderAndClosesCleanly) {
  Activate();
  std::vector<std::string> expected = {"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext", "ShowObject"};
  EXPECT_EQ(site->calls, expected);
  ASSERT_TRUE(IsWindow(stage));
  EXPECT_EQ(GetParent(stage), host.hwnd());
  RECT r;
  GetWindowRect(stage, &r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);

  // A second in-place activation only moves the window.
  RECT moved{0, 0, 200, 100};
  site->calls.clear();
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &moved), S_OK);
  EXPECT_EQ(site->calls, std::vector<std::string>{"ShowObject"});
  GetWindowRect(stage, &r);
  EXPECT_EQ(r.right - r.left, 200);

  EXPECT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &moved), S_OK);
  EXPECT_NE(std::find(site->calls.begin(), site->calls.end(), "OnUIActivate"), site->calls.end());

  auto lines = log.Lines();
  int cursor = FindLine(lines, "import LoadCursorA 101 ok=1");
  int menu = FindLine(lines, "import LoadMenuA 102 ok=1");
  int cls = FindPrefix(lines, "import RegisterClassExA FlashStandinStage atom=");
  int created = FindLine(lines, "import CreateWindowExA FlashStandinStage hwnd=1");
  EXPECT_GE(cursor, 0);
  EXPECT_GE(menu, 0);
  EXPECT_GE(cls, 0);
  EXPECT_GT(created, cls);

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
  for (const char* method : {"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext"}) {
    SCOPED_TRACE(method);
    object = CreateFromModule(L"flash_standin.dll");
    ASSERT_TRUE(object);
    site = standin::Adopt(new TestSite(host.hwnd()));
    site->failing = method;
    ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
    RECT pos{0, 0, 100, 100};
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), E_FAIL);
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(object.As(&inPlace), S_OK);
    HWND none = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&none), E_FAIL);
    const bool told = std::string(method) == "GetWindow" || std::string(method) == "GetWindowContext";
    EXPECT_EQ(std::count(site->calls.begin(), site->calls.end(), "OnInPlaceDeactivate"), told ? 1 : 0);
    EXPECT_EQ(std::count(site->calls.begin(), site->calls.end(), "ShowObject"), 0);
    Shutdown();
  }
}

// Real input raises the stock events with the button, the shift state and the point, when asked to.
TEST_F(StandinModule, RealInputRaisesTheStockEvents) {
  Activate();
  ComPtr<EventSink> sink = standin::Adopt(new EventSink());
  ASSERT_NE(AdviseEvents(object.Get(), sink.Get()), 0u);
  SetEnvironmentVariableW(L"FLASH_STANDIN_STOCK_EVENTS", L"1");
  SendMessageW(stage, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(12, 34));
  SendMessageW(stage, WM_LBUTTONUP, 0, MAKELPARAM(12, 34));
  SendMessageW(stage, WM_CHAR, 'x', 0);
  SetEnvironmentVariableW(L"FLASH_STANDIN_STOCK_EVENTS", nullptr);
  SendMessageW(stage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));  // switched off: logged, not raised
  std::vector<DISPID> ids;
  for (const auto& e : sink->events) ids.push_back(e.id);
  ASSERT_EQ(ids, (std::vector<DISPID>{DISPID_MOUSEDOWN, DISPID_MOUSEUP, DISPID_CLICK, DISPID_KEYPRESS}));
  EXPECT_EQ(sink->events[0].args, (std::vector<std::wstring>{L"1", L"1", L"12", L"34"}));
  EXPECT_EQ(sink->events[3].args, std::vector<std::wstring>{L"120"});
  EXPECT_GE(log.FindLine("window WM_LBUTTONDOWN 1 1"), 0) << log.Dump();
}

TEST_F(StandinModule, LoadsAMovieFromAPathAndStepsThroughItsFrames) {
  Activate();
  ComPtr<EventSink> sink;
  sink = standin::Adopt(new EventSink());
  ASSERT_NE(AdviseEvents(object.Get(), sink.Get()), 0u);
  std::vector<uint8_t> bytes = ThreeFrames();
  std::wstring path = WriteTempFile(L"three.swf", bytes);

  // The request only records the location: nothing is loaded and no event fires until the loop runs.
  ASSERT_EQ(flash->put_Movie(Bstr(path)), S_OK);
  long value = -1;
  EXPECT_EQ(flash->get_ReadyState(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(flash->get_TotalFrames(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(sink->events.empty());
  EXPECT_LT(log.FindPrefix("fetch "), 0) << log.Dump();
  // Asked to stand while the movie is on its way, it arrives standing on its first frame.
  ASSERT_EQ(flash->StopPlay(), S_OK);
  ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4"), 0) << log.Dump();
  // The ready state went through loading and interactive to complete, one step after another.
  std::vector<std::wstring> states;
  for (const auto& e : sink->Of(DISPID_FlashOnReadyStateChange)) states.push_back(e.args[0]);
  EXPECT_EQ(states, (std::vector<std::wstring>{L"0", L"3", L"4"}));
  EXPECT_GE(log.FindLine("fetch " + Narrow(path) + " thread=main"), 0) << log.Dump();
  EXPECT_EQ(flash->get_TotalFrames(&value), S_OK);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(flash->get_ReadyState(&value), S_OK);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(flash->PercentLoaded(&value), S_OK);
  EXPECT_EQ(value, 100);
  Bstr movie;
  EXPECT_EQ(flash->get_Movie(movie.out()), S_OK);
  EXPECT_EQ(movie.str(), path);

  // The frame shown at load runs its FSCommand; ready state and progress were announced.
  auto fs = sink->Of(DISPID_FlashFSCommand);
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].args, (std::vector<std::wstring>{L"hello", L"world"}));
  auto ready = sink->Of(DISPID_FlashOnReadyStateChange);
  ASSERT_FALSE(ready.empty());
  EXPECT_EQ(ready.back().args, std::vector<std::wstring>{L"4"});
  auto progress = sink->Of(DISPID_FlashOnProgress);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back().args, std::vector<std::wstring>{L"100"});

  // Stepping stands the movie and moves one frame at a time.
  EXPECT_EQ(flash->StopPlay(), S_OK);
  EXPECT_EQ(flash->Forward(), S_OK);
  EXPECT_EQ(flash->CurrentFrame(&value), S_OK);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(flash->Back(), S_OK);
  EXPECT_EQ(flash->get_FrameNum(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(flash->GotoFrame(2), S_OK);  // the last frame says quit
  // Entering a frame runs its actions each time: back on frame 0 said hello again.
  fs = sink->Of(DISPID_FlashFSCommand);
  ASSERT_EQ(fs.size(), 3u);
  EXPECT_EQ(fs[1].args[0], L"hello");
  EXPECT_EQ(fs[2].args, (std::vector<std::wstring>{L"quit", L""}));
  EXPECT_EQ(flash->TGotoLabel(Bstr(L"/"), Bstr(L"TWO")), S_OK);
  EXPECT_EQ(flash->TCurrentFrame(Bstr(L""), &value), S_OK);
  EXPECT_EQ(value, 1);
  Bstr label;
  EXPECT_EQ(flash->TCurrentLabel(Bstr(L""), label.out()), S_OK);
  EXPECT_EQ(label.str(), L"two");
  EXPECT_EQ(flash->TGotoLabel(Bstr(L""), Bstr(L"nowhere")), E_INVALIDARG);
  VARIANT_BOOL playing = VARIANT_TRUE;
  EXPECT_EQ(flash->IsPlaying(&playing), S_OK);
  EXPECT_EQ(playing, VARIANT_FALSE);
  EXPECT_EQ(flash->Rewind(), S_OK);
  EXPECT_EQ(flash->get_FrameNum(&value), S_OK);
  EXPECT_EQ(value, 0);

  auto lines = log.Lines();
  std::string narrow = Narrow(path);
  EXPECT_GE(FindLine(lines, "import CreateFileA " + narrow + " ok=1"), 0);
  EXPECT_GE(FindLine(lines, "movie bytes " + std::to_string(bytes.size()) + " chunks 1"), 0);
  EXPECT_GE(FindLine(lines, "event FSCommand hello world"), 0);
  int stopPlay = FindLine(lines, "call StopPlay");
  int forward = FindLine(lines, "call Forward", stopPlay);
  EXPECT_GT(forward, stopPlay);
  EXPECT_GE(stopPlay, 0);
}

TEST_F(StandinModule, LoadsAMovieThroughAUrlMonikerAndReplacesThePreviousOne) {
  Activate();
  std::vector<uint8_t> big = SwfWriter().Compressed(true).ShowFrame().ShowFrame().Build();
  std::wstring first = WriteTempFile(L"first.swf", ThreeFrames(true));
  std::wstring second = WriteTempFile(L"second.swf", big);
  std::wstring url = L"file:///" + second;
  for (wchar_t& c : url)
    if (c == L'\\') c = L'/';

  Load(first);
  long frames = 0;
  flash->get_TotalFrames(&frames);
  ASSERT_EQ(frames, 3);
  log.Clear();
  ASSERT_EQ(flash->LoadMovie(0, Bstr(url)), S_OK);
  ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4"), 0) << log.Dump();
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 2);
  auto lines = log.Lines();
  EXPECT_GE(FindPrefix(lines, "import CreateURLMoniker " + Narrow(url) + " hr=0x00000000"), 0);
  int bytesLine = FindPrefix(lines, "movie bytes " + std::to_string(big.size()) + " chunks ");
  EXPECT_GE(bytesLine, 0);
  EXPECT_LT(FindPrefix(lines, "import CreateFileA"), 0);  // URLs never go to the file open

  // A location that cannot be read leaves no movie behind.
  Load(TempPath(L"missing.swf"));
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 0);
  lines = log.Lines();
  EXPECT_GE(FindPrefix(lines, "movie failed"), 0);
}

TEST_F(StandinModule, PlaysOnItsTimerStopsAtTheEndWithoutLoopAndWrapsWithIt) {
  Activate();
  ComPtr<EventSink> sink;
  sink = standin::Adopt(new EventSink());
  AdviseEvents(object.Get(), sink.Get());
  ASSERT_EQ(flash->put_Loop(VARIANT_FALSE), S_OK);
  Load(WriteTempFile(L"timer.swf", ThreeFrames()));
  VARIANT_BOOL playing = VARIANT_FALSE;
  EXPECT_EQ(flash->get_Playing(&playing), S_OK);
  EXPECT_EQ(playing, VARIANT_TRUE);
  ASSERT_TRUE(PumpUntil([&] { VARIANT_BOOL p; flash->IsPlaying(&p); return p == VARIANT_FALSE; }, 5000ms));
  long frame = -1;
  flash->get_FrameNum(&frame);
  EXPECT_EQ(frame, 2);
  EXPECT_EQ(sink->Of(DISPID_FlashFSCommand).size(), 2u);  // hello at frame 0, quit at frame 2

  ASSERT_EQ(flash->put_Loop(VARIANT_TRUE), S_OK);
  ASSERT_EQ(flash->Play(), S_OK);
  // Wrapping shows frame 0 again, whose command fires a second time.
  ASSERT_TRUE(PumpUntil([&] { return sink->Of(DISPID_FlashFSCommand).size() >= 3; }, 5000ms));
  EXPECT_EQ(sink->Of(DISPID_FlashFSCommand)[2].args[0], L"hello");
  auto lines = log.Lines();
  int last = FindLine(lines, "frame 2");
  EXPECT_GE(FindLine(lines, "frame 0", last), 0);
}

TEST_F(StandinModule, ZoomCommandsAndWindowCommandsAreLoggedAndShowAllResetsTheView) {
  Activate();
  Load(WriteTempFile(L"zoom.swf", ThreeFrames()));
  EXPECT_EQ(flash->SetZoomRect(0, 0, 11000, 8000), S_OK);
  EXPECT_EQ(flash->SetZoomRect(100, 100, 100, 900), E_INVALIDARG);  // empty
  EXPECT_EQ(flash->Zoom(80), S_OK);
  EXPECT_EQ(flash->Pan(10, 10, 0), S_OK);
  EXPECT_EQ(flash->Pan(10, 10, 9), E_INVALIDARG);
  EXPECT_EQ(SendMessageW(stage, WM_COMMAND, FLASH_CMD_SHOW_ALL, 0), 0);
  EXPECT_EQ(SendMessageW(stage, WM_COMMAND, FLASH_CMD_PRINT, 0), 0);
  auto lines = log.Lines();
  int zoomRect = FindLine(lines, "call SetZoomRect 0 0 11000 8000");
  int zoom = FindLine(lines, "call Zoom 80", zoomRect);
  int showAll = FindLine(lines, "command 20034 showall", zoom);
  int print = FindLine(lines, "command 20054 print", showAll);
  EXPECT_GE(zoomRect, 0);
  EXPECT_GT(zoom, zoomRect);
  EXPECT_GT(showAll, zoom);
  EXPECT_GT(print, showAll);
  // The stage paints without trouble at any view (a screenshot shows the marker).
  EXPECT_TRUE(RedrawWindow(stage, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
}

TEST_F(StandinModule, PropertiesRoundTripAndVariablesAreKept) {
  object = CreateFromModule(L"flash_standin.dll");
  ASSERT_TRUE(object);
  ASSERT_EQ(object.As(&flash), S_OK);
  long value = -1;
  EXPECT_EQ(flash->put_Quality(0), S_OK);
  EXPECT_EQ(flash->get_Quality(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(flash->put_BackgroundColor(0x123456), S_OK);
  EXPECT_EQ(flash->get_BackgroundColor(&value), S_OK);
  EXPECT_EQ(value, 0x123456);
  Bstr text;
  EXPECT_EQ(flash->put_Base(Bstr(L"C:\\movies")), S_OK);
  EXPECT_EQ(flash->get_Base(text.out()), S_OK);
  EXPECT_EQ(text.str(), L"C:\\movies");
  EXPECT_EQ(flash->SetVariable(Bstr(L"name"), Bstr(L"value")), S_OK);
  EXPECT_EQ(flash->GetVariable(Bstr(L"name"), text.out()), S_OK);
  EXPECT_EQ(text.str(), L"value");
  EXPECT_EQ(flash->GetVariable(Bstr(L"undefined"), text.out()), E_FAIL);
  // Without a movie there is nothing to play, and no window to run a timer.
  EXPECT_EQ(flash->Play(), S_OK);
  VARIANT_BOOL playing = VARIANT_TRUE;
  EXPECT_EQ(flash->IsPlaying(&playing), S_OK);
  EXPECT_EQ(playing, VARIANT_FALSE);
  EXPECT_EQ(flash->get_TotalFrames(&value), S_OK);
  EXPECT_EQ(value, 0);
  double number = -1;
  EXPECT_EQ(flash->TGetPropertyNum(Bstr(L"/"), 5, &number), S_OK);
  EXPECT_EQ(number, 0.0);
  EXPECT_EQ(flash->TGetPropertyNum(Bstr(L"/clip"), 5, &number), E_INVALIDARG);
}

namespace {

// Renders the stage window into a bitmap and reads pixels of it.
class Snapshot {
 public:
  explicit Snapshot(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    width_ = r.right;
    height_ = r.bottom;
    HDC screen = GetDC(window);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
    ReleaseDC(window, screen);
    old_ = SelectObject(dc_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
  }
  ~Snapshot() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  int width_, height_;
};

}  // namespace

TEST_F(StandinModule, PaintsBackgroundShapesAndAMarkerOfTheZoomedView) {
  Activate();
  RECT full{0, 0, 550, 400};
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &full), S_OK);
  std::vector<uint8_t> movie = SwfWriter()
                                   .FrameSize(550, 400)
                                   .SetBackgroundColor({0, 0, 128})
                                   .DefineRectangle(1, 100, 50, {255, 0, 0})
                                   .PlaceObject(1, 1, 400, 300)
                                   .ShowFrame()
                                   .Build();
  Load(WriteTempFile(L"paint.swf", movie));
  const COLORREF background = RGB(0, 0, 128), red = RGB(255, 0, 0);
  {
    Snapshot shot(stage);
    EXPECT_EQ(shot.at(540, 390), background);
    EXPECT_EQ(shot.at(450, 325), red);  // the rectangle at (400, 300), 100 x 50
    EXPECT_EQ(shot.at(1, 200), background);
  }
  // The top-left quarter, doubled: the rectangle leaves the picture and a red border marks the zoom.
  ASSERT_EQ(flash->SetZoomRect(0, 0, 5500, 4000), S_OK);
  {
    Snapshot shot(stage);
    EXPECT_EQ(shot.at(450, 325), background);
    EXPECT_EQ(shot.at(1, 200), red);
  }
  // Showing the whole movie again restores the first picture.
  SendMessageW(stage, WM_COMMAND, FLASH_CMD_SHOW_ALL, 0);
  {
    Snapshot shot(stage);
    EXPECT_EQ(shot.at(450, 325), red);
    EXPECT_EQ(shot.at(1, 200), background);
  }
  // The movie's own colour gives way to an assigned background colour.
  ASSERT_EQ(flash->put_BackgroundColor(0x00FF00), S_OK);
  Snapshot shot(stage);
  EXPECT_EQ(shot.at(540, 390), RGB(0, 255, 0));
}

TEST_F(StandinModule, AMovieLoadedBeforeActivationShowsItsFirstFrameWhenTheWindowExists) {
  object = CreateFromModule(L"flash_standin.dll");
  ASSERT_TRUE(object);
  ASSERT_EQ(object.As(&flash), S_OK);
  ComPtr<EventSink> sink = standin::Adopt(new EventSink());
  ASSERT_NE(AdviseEvents(object.Get(), sink.Get()), 0u);
  Load(WriteTempFile(L"early.swf", ThreeFrames()));
  long frames = 0;
  EXPECT_EQ(flash->get_TotalFrames(&frames), S_OK);
  EXPECT_EQ(frames, 3);
  EXPECT_TRUE(sink->Of(DISPID_FlashFSCommand).empty());

  site = standin::Adopt(new TestSite(host.hwnd()));
  ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
  RECT pos{0, 0, 200, 100};
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), S_OK);
  auto fs = sink->Of(DISPID_FlashFSCommand);
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].args, (std::vector<std::wstring>{L"hello", L"world"}));
  // A second activation does not show the frame again.
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd(), &pos), S_OK);
  EXPECT_EQ(sink->Of(DISPID_FlashFSCommand).size(), 1u);
}
