#include "standin/fetch_job_win.h"

#include <objbase.h>

#include <stdexcept>

#include "standin/observation_log.h"
#include "standin/thread_name.h"

namespace standin {
namespace {

// A load that cannot go on; caught where the load began.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

LoadResult FetchAndParse(const std::wstring& location, const FetchProgress& progress) {
  FetchedMovie fetched = FetchMovie(location, progress);
  if (!fetched.ok) throw LoadError("no data " + Utf8(location.c_str()));
  Log("movie bytes %lu chunks %d", static_cast<unsigned long>(fetched.bytes.size()), fetched.chunks);
  Log("fetched on %s", StandinThreadName());
  ParseResult parsed = ParseSwf(fetched.bytes.data(), fetched.bytes.size());
  if (!parsed.movie) throw LoadError(parsed.error);
  LoadResult result;
  result.movie = std::move(parsed.movie);
  result.bytes = fetched.bytes.size();
  result.chunks = fetched.chunks;
  return result;
}

}  // namespace

LoadResult LoadMovieFrom(const std::wstring& location, const FetchProgress& progress) {
  try {
    return FetchAndParse(location, progress);
  } catch (const std::exception& e) {
    LoadResult failed;
    failed.error = e.what();
    return failed;
  }
}

long PercentArrived(const std::vector<uint8_t>& soFar) {
  if (soFar.size() < 8 || soFar[0] != 'F') return -1;
  const uint32_t declared = soFar[4] | (soFar[5] << 8) | (soFar[6] << 16) | (static_cast<uint32_t>(soFar[7]) << 24);
  if (declared == 0) return -1;
  const uint64_t percent = soFar.size() * 100ull / declared;
  return static_cast<long>(percent > 100 ? 100 : percent);
}

FetchJob::FetchJob(std::wstring location, HWND owner, UINT progressMessage, UINT doneMessage, long generation)
    : location_(std::move(location)), owner_(owner), progressMessage_(progressMessage), doneMessage_(doneMessage),
      generation_(generation) {
  thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  if (!thread_) {
    result_.error = "no worker thread";
    PostMessageA(owner_, doneMessage_, static_cast<WPARAM>(generation_), 0);
  }
}

FetchJob::~FetchJob() {
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

LoadResult FetchJob::Take() {
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return std::move(result_);
}

DWORD WINAPI FetchJob::ThreadMain(LPVOID self) {
  StandinSetThreadName("worker");
  static_cast<FetchJob*>(self)->Run();
  return 0;
}

void FetchJob::Run() {
  // Monikers and bind contexts need COM on this thread too.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  long lastPercent = -1;
  result_ = LoadMovieFrom(location_, [&](const std::vector<uint8_t>& soFar) {
    long percent = PercentArrived(soFar);
    if (percent < 0) percent = 0;
    if (percent == lastPercent) return;
    lastPercent = percent;
    PostMessageA(owner_, progressMessage_, static_cast<WPARAM>(generation_), percent);
  });
  if (SUCCEEDED(com)) CoUninitialize();
  PostMessageA(owner_, doneMessage_, static_cast<WPARAM>(generation_), 0);
}

}  // namespace standin
