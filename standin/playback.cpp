#include "standin/playback.h"

namespace standin {

void Playback::load(int totalFrames) {
  total_ = totalFrames > 0 ? totalFrames : 0;
  current_ = 0;
  playing_ = total_ > 0;
}

void Playback::unload() {
  total_ = 0;
  current_ = 0;
  playing_ = false;
}

void Playback::play() { playing_ = total_ > 0; }
void Playback::stop() { playing_ = false; }

bool Playback::moveTo(int frame) {
  if (total_ == 0) return false;
  if (frame < 0) frame = 0;
  if (frame >= total_) frame = total_ - 1;
  bool changed = frame != current_;
  current_ = frame;
  return changed;
}

bool Playback::rewind() { return moveTo(0); }

bool Playback::back() {
  playing_ = false;
  return moveTo(current_ - 1);
}

bool Playback::forward() {
  playing_ = false;
  return moveTo(current_ + 1);
}

bool Playback::gotoFrame(int frame) { return moveTo(frame); }

bool Playback::tick() {
  if (!playing_ || total_ == 0) return false;
  if (current_ + 1 < total_) return moveTo(current_ + 1);
  if (loop_) {
    // A one-frame movie has nowhere to wrap to: its frame stays and its actions do not run again.
    return moveTo(0);
  }
  playing_ = false;
  return false;
}

}  // namespace standin
