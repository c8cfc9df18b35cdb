// The stand-in Flash module as a container sees it, loaded by the system loader.
// The product's tests show the rest of it through the real container; here what
// they cannot: it holds the container to a site that works, and a movie arrives
// only after the request for it has returned.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/standin/standin_harness_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace standin_test;
using namespace swfp::wintest;

namespace {

// A top-level window standing in for the container's window.
struct HostWindow {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"stand-in test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                              640, 480, nullptr, nullptr, nullptr, nullptr);
  ~HostWindow() { DestroyWindow(hwnd); }
};

class StandinModule : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override {
    Shutdown();
    OleUninitialize();
  }

  void Create() {
    object = CreateFromModule(L"flash_standin.dll");
    ASSERT_TRUE(object);
  }
  void Shutdown() {
    if (object) {
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
    object.Reset();
  }

  StandinLog log;
  HostWindow host;
  ComPtr<TestSite> site = standin::Adopt(new TestSite(host.hwnd));
  ComPtr<IOleObject> object;
};

}  // namespace

// A site call that fails ends the activation with its result and leaves no window;
// a site that had been told of the activation is told it ended.
TEST_F(StandinModule, ActivationFailsWhenASiteCallFails) {
  for (const std::string method : {"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext"}) {
    SCOPED_TRACE(method);
    Create();
    site = standin::Adopt(new TestSite(host.hwnd));
    site->failing = method;
    ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
    RECT pos{0, 0, 100, 100};
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd, &pos), E_FAIL);
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

TEST_F(StandinModule, LoadsAMovieOnlyAfterTheRequestReturned) {
  Create();
  ComPtr<IShockwaveFlash> flash;
  ASSERT_EQ(object.As(&flash), S_OK);
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(object.As(&container), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(DIID_ShockwaveFlashEvents, point.GetAddressOf()), S_OK);
  ComPtr<EventSink> sink = standin::Adopt(new EventSink());
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
  RECT position{10, 20, 410, 320};
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host.hwnd, &position), S_OK);
  const TempFolder temp;
  const std::vector<uint8_t> bytes =
      SwfWriter().FSCommand("hello", "world").ShowFrame().FSCommand("quit", "").ShowFrame().Build();
  WriteWholeFile(temp.File(L"two.swf"), bytes);
  const std::wstring path = temp.File(L"two.swf").wstring();

  // The request only records the location: nothing is loaded and no event fires until the loop runs.
  ASSERT_EQ(flash->put_Movie(Bstr(path)), S_OK);
  long value = -1;
  EXPECT_EQ(flash->get_ReadyState(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(sink->events.empty());
  EXPECT_LT(log.FindPrefix("fetch "), 0) << log.Dump();
  // Asked to stand while the movie is on its way, it arrives standing on its first frame.
  ASSERT_EQ(flash->StopPlay(), S_OK);
  ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4"), 0) << log.Dump();
  using Args = std::vector<std::wstring>;
  EXPECT_EQ(sink->ArgsOf(DISPID_FlashOnReadyStateChange), (std::vector<Args>{{L"0"}, {L"3"}, {L"4"}}));
  EXPECT_EQ(sink->ArgsOf(DISPID_FlashFSCommand), (std::vector<Args>{{L"hello", L"world"}}));
  EXPECT_GE(log.FindLine("fetch " + WideToUtf8(path) + " thread=main"), 0) << log.Dump();
  EXPECT_GE(log.FindLine("movie bytes " + std::to_string(bytes.size()) + " chunks 1"), 0) << log.Dump();
  VARIANT_BOOL playing = VARIANT_TRUE;
  EXPECT_EQ(flash->IsPlaying(&playing), S_OK);
  EXPECT_EQ(playing, VARIANT_FALSE);
}
