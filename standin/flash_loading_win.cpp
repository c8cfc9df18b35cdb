// How the stand-in object loads a movie: like a real runtime, asynchronously.
// The request only records the location; the fetch starts from a message the
// object posts to its own window, the ready state moves on over several
// messages, and every event reaches the host while the host's loop runs.
#include <cstdlib>

#include "standin/flash_object_win.h"
#include "standin/observation_log.h"

namespace standin {
namespace {

// Steps of a load, posted to the object's message-only window; wParam is the load's generation.
constexpr UINT kFetchMessage = WM_APP + 1;     // start fetching
constexpr UINT kProgressMessage = WM_APP + 2;  // lParam: percent arrived (worker fetches)
constexpr UINT kFetchedMessage = WM_APP + 3;   // the worker's result can be taken
constexpr UINT kCompleteMessage = WM_APP + 4;  // the movie is in: ready state 4, first frame

// FLASH_STANDIN_FETCH=worker makes the object fetch on a thread of its own.
bool WorkerFetchWanted() {
  char value[16];
  const DWORD n = GetEnvironmentVariableA("FLASH_STANDIN_FETCH", value, sizeof value);
  return n > 0 && n < sizeof value && lstrcmpiA(value, "worker") == 0;
}

}  // namespace

bool FlashObject::PostToSelf(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!notify_) CreateNotifyWindow();  // on the first load: the thread that asks is the one that plays
  return notify_ && PostMessageA(notify_, message, wparam, lparam);
}

void FlashObject::RequestLoad(const std::wstring& location) {
  CancelLoading();
  pendingLocation_ = location;
  playOnLoad_ = true;
  readyState_ = 0;  // loading; announced when the fetch starts
  percentLoaded_ = 0;
  if (!PostToSelf(kFetchMessage, static_cast<WPARAM>(loadGeneration_), 0))
    Log("movie failed no window to load from");
}

// The message-only window lives only while a load is under way: a module mapped
// from memory shares its window class name with every other module of the
// process, and a window left over would keep the next module from registering it.
void FlashObject::ReleaseNotifyWindow() {
  if (!notify_ || job_) return;
  HWND window = notify_;
  DestroyWindow(window);  // WM_NCDESTROY forgets it
}

// A newer request, or closing, makes every step of the loads before it stale.
void FlashObject::CancelLoading() {
  ++loadGeneration_;
  job_.reset();  // waits for a worker still fetching
}

void FlashObject::OnLoadMessage(UINT message, WPARAM generation, LPARAM value) {
  if (static_cast<long>(generation) != loadGeneration_) return;
  Microsoft::WRL::ComPtr<IUnknown> self(static_cast<IOleObject*>(this));  // events may release us
  switch (message) {
    case kFetchMessage:
      StartFetch(loadGeneration_);
      break;
    case kProgressMessage:
      if (readyState_ < 3) SetReadyState(3);
      FireProgress(static_cast<long>(value));
      break;
    case kFetchedMessage:
      if (job_) {
        LoadResult result = job_->Take();
        job_.reset();
        Deliver(std::move(result));
      }
      break;
    case kCompleteMessage:
      CompleteLoad();
      break;
    default:
      break;
  }
}

void FlashObject::StartFetch(long generation) {
  // Layer 0 replaces the movie: what played before is gone even if the new one fails.
  UnloadMovie();
  percentLoaded_ = 0;
  readyState_ = -1;
  SetReadyState(0);
  if (pendingLocation_.empty()) {
    if (generation == loadGeneration_) ReleaseNotifyWindow();
    return;
  }
  const bool worker = WorkerFetchWanted();
  Log("fetch %s thread=%s", Utf8(pendingLocation_.c_str()).c_str(), worker ? "worker" : "main");
  if (worker) {
    job_ = std::make_unique<FetchJob>(pendingLocation_, notify_, kProgressMessage, kFetchedMessage, generation);
    return;
  }
  LoadResult result = LoadMovieFrom(pendingLocation_, [&](const std::vector<uint8_t>& soFar) {
    if (readyState_ < 3) SetReadyState(3);
    const long percent = PercentArrived(soFar);
    if (percent >= 0) FireProgress(percent);
  });
  // An event handler may have asked for another movie meanwhile.
  if (generation == loadGeneration_) Deliver(std::move(result));
}

void FlashObject::Deliver(LoadResult result) {
  if (!result.movie) {
    Log("movie failed %s", result.error.c_str());
    ReleaseNotifyWindow();
    return;
  }
  movie_ = std::move(result.movie);
  Log("movie frames %lu rate %g version %u sound=%d", static_cast<unsigned long>(movie_->frames.size()), movie_->frameRate,
      movie_->version, movie_->hasSound ? 1 : 0);
  const bool loop = playback_.loop();
  playback_.load(static_cast<int>(movie_->frames.size()));
  playback_.setLoop(loop);
  if (!playOnLoad_) playback_.stop();
  view_.reset(movie_->stage);
  if (readyState_ < 3) SetReadyState(3);
  FireProgress(100);
  PostToSelf(kCompleteMessage, static_cast<WPARAM>(loadGeneration_), 0);
}

void FlashObject::CompleteLoad() {
  const long generation = loadGeneration_;
  SetReadyState(4);
  AskForLayout();
  // The first frame is shown once there is a window to show it in.
  if (window_) EnterFrame(); else firstFramePending_ = true;
  UpdateTimer();
  UpdateAudio();
  // An event handler may have asked for the next movie, which needs the window.
  if (generation == loadGeneration_) ReleaseNotifyWindow();
}

}  // namespace standin
