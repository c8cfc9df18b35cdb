// A movie fetched and parsed, either on the calling thread or on a worker
// thread of the runtime's own (then the result waits for the owner to take it,
// and the worker posts its progress and its end to the owner's window).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "standin/movie_fetch_win.h"
#include "standin/swf_movie.h"

namespace standin {

struct LoadResult {
  std::optional<SwfMovie> movie;
  std::string error;  // why there is no movie
  size_t bytes = 0;
  int chunks = 0;
};

// Fetches and parses. Failures are thrown and caught inside and come back as the error text.
LoadResult LoadMovieFrom(const std::wstring& location, const FetchProgress& progress);

// How far a movie has arrived, from its declared length (uncompressed movies only), or -1.
long PercentArrived(const std::vector<uint8_t>& soFar);

class FetchJob {
 public:
  // Starts the worker at once. It posts `progressMessage` (generation, percent) as data
  // arrives and `doneMessage` (generation, 0) when the result can be taken.
  FetchJob(std::wstring location, HWND owner, UINT progressMessage, UINT doneMessage, long generation);
  // Waits for the worker: the owner's window must outlive the job.
  ~FetchJob();
  FetchJob(const FetchJob&) = delete;
  FetchJob& operator=(const FetchJob&) = delete;

  LoadResult Take();

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();

  std::wstring location_;
  HWND owner_;
  UINT progressMessage_, doneMessage_;
  long generation_;
  LoadResult result_;
  HANDLE thread_ = nullptr;
};

}  // namespace standin
