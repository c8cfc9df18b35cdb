#include "standin/audio_win.h"

#include <mmsystem.h>

#include <cstdint>

#include "standin/observation_log.h"

namespace standin {
namespace {

constexpr DWORD kRate = 22050;
constexpr DWORD kSamples = kRate / 5;  // 200 ms per buffer
constexpr DWORD kBuffers = 2;

// A 441 Hz triangle wave: audible, never all zero, no maths library needed.
void FillTone(int16_t* samples, DWORD count, DWORD& phase) {
  constexpr DWORD kPeriod = kRate / 441;
  for (DWORD i = 0; i < count; ++i, ++phase) {
    int32_t p = static_cast<int32_t>(phase % kPeriod);
    int32_t half = kPeriod / 2;
    int32_t v = p < half ? (p * 2 - half) : (half - (p - half) * 2);
    samples[i] = static_cast<int16_t>(v * 8000 / half);
  }
}

bool AllZero(const void* data, DWORD size) {
  const uint8_t* b = static_cast<const uint8_t*>(data);
  for (DWORD i = 0; i < size; ++i)
    if (b[i]) return false;
  return true;
}

}  // namespace

AudioThread::AudioThread() = default;

AudioThread::~AudioThread() {
  if (thread_) {
    SetEvent(quit_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (quit_) CloseHandle(quit_);
}

void AudioThread::SetActive(bool active) {
  InterlockedExchange(&active_, active ? 1 : 0);
  if (active && !thread_) {
    quit_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  }
}

DWORD WINAPI AudioThread::ThreadMain(LPVOID self) {
  static_cast<AudioThread*>(self)->Run();
  return 0;
}

void AudioThread::Run() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = kRate * 2;
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) device = nullptr;

  static_assert(kBuffers == 2);
  int16_t samples[kBuffers][kSamples];
  WAVEHDR headers[kBuffers]{};
  DWORD phase = 0;
  DWORD next = 0;
  while (WaitForSingleObject(quit_, 100) == WAIT_TIMEOUT) {
    if (!active_) continue;
    WAVEHDR& header = headers[next];
    if (header.dwFlags & WHDR_PREPARED) {
      if (!(header.dwFlags & WHDR_DONE)) continue;  // still playing: wait for it
      waveOutUnprepareHeader(device, &header, sizeof header);
    }
    FillTone(samples[next], kSamples, phase);
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(samples[next]);
    header.dwBufferLength = sizeof samples[next];
    if (device) waveOutPrepareHeader(device, &header, sizeof header);
    // Without a device the call still goes out, so a host's interception is exercised.
    MMRESULT result = waveOutWrite(device, &header, sizeof header);
    Log("import waveOutWrite %lu result=%u", static_cast<unsigned long>(header.dwBufferLength), result);
    Log("audio buffer zeroed=%d", AllZero(header.lpData, header.dwBufferLength) ? 1 : 0);
    if (result != MMSYSERR_NOERROR) {
      if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof header);
      header.dwFlags = 0;
    }
    next = (next + 1) % kBuffers;
  }
  if (device) {
    waveOutReset(device);
    for (WAVEHDR& header : headers)
      if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
  }
}

}  // namespace standin
