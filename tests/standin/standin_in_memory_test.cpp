// The stand-in module mapped by the project's in-memory loader fetches a movie
// held in memory on a worker thread: the content manager answers the request
// there, and the module's static TLS gives the worker a block of its own. A
// program of its own: no copy of the module is loaded by the system loader here.
#include <gtest/gtest.h>

#include <wrl/client.h>

#include "flashhost/flash_interfaces_win.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/standin_log_win.h"
#include "winbase/bstr_win.h"

using Microsoft::WRL::ComPtr;
using swfp::win::Bstr;
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

// OLE, the runtime unit with its content manager, and the stand-in mapped from memory.
const auto* const environment = AddRuntimeEnvironment(L"flash_standin.dll");

}  // namespace

TEST(MappedStandin, FetchesOnAWorkerWithItsOwnThreadLocalStorage) {
  StandinLog log;
  ComPtr<IOleObject> mapped;
  ASSERT_EQ(flashrt::FlashOCXCodeProvider()->CreateInstance(IID_PPV_ARGS(&mapped)), S_OK);
  ComPtr<IShockwaveFlash> flash;
  ASSERT_EQ(mapped.As(&flash), S_OK);
  Client client(flash.Get());
  {
    const ScopedEnvironmentVariable worker(L"FLASH_STANDIN_FETCH", L"worker");
    flashrt::TMemoryStream stream(SwfWriter().ShowFrame().Build());
    const std::string pseudo = flashrt::ContentManager().PutMovieFromStream(client, stream);
    ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4"), 0) << log.Dump();
    EXPECT_GE(log.FindLine("fetch " + pseudo + " thread=worker"), 0) << log.Dump();
    // The thread's name lives in the module's static TLS: the worker sees its own copy.
    EXPECT_GE(log.FindLine("fetched on worker"), 0) << log.Dump();
  }
  // A load on this thread, which existed before the module was mapped, sees the
  // initial value: the worker's write stayed in the worker's block.
  const int mark = static_cast<int>(log.Lines().size());
  flashrt::TMemoryStream second(SwfWriter().ShowFrame().Build());
  flashrt::ContentManager().PutMovieFromStream(client, second);
  ASSERT_GE(log.AwaitPrefix("event ReadyStateChange 4", mark), 0) << log.Dump();
  EXPECT_GE(log.FindLine("fetched on main", mark), 0) << log.Dump();
  mapped->Close(OLECLOSE_NOSAVE);
}
