// The runtime's audio path: its own thread submits tone buffers with
// waveOutWrite while a movie with sound plays, and records after each
// submission whether the buffer came back zeroed (a muting host zeroes it).
#pragma once

#include <windows.h>

namespace standin {

class AudioThread {
 public:
  AudioThread();
  ~AudioThread();
  AudioThread(const AudioThread&) = delete;
  AudioThread& operator=(const AudioThread&) = delete;

  // Starts the thread on first use; submissions happen only while active.
  void SetActive(bool active);

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();

  HANDLE thread_ = nullptr;
  HANDLE quit_ = nullptr;
  volatile LONG active_ = 0;
};

}  // namespace standin
