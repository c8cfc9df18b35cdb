// Playback state of a movie: the current frame, playing or standing, and the
// loop switch. Frames count from 0. Every operation reports whether the frame
// shown changed, so the caller knows when to run the new frame's actions.
#pragma once

namespace standin {

class Playback {
 public:
  // A new movie starts on its first frame, playing.
  void load(int totalFrames);
  void unload();

  int totalFrames() const { return total_; }
  int current() const { return current_; }
  bool playing() const { return playing_; }
  bool loop() const { return loop_; }
  void setLoop(bool loop) { loop_ = loop; }

  void play();
  void stop();
  // First frame; the playing state is kept.
  bool rewind();
  // One frame back or forward, then stand.
  bool back();
  bool forward();
  // Out-of-range frames are clamped; the playing state is kept.
  bool gotoFrame(int frame);
  // One timer tick: advance while playing; on the last frame wrap when looping,
  // otherwise stand still there.
  bool tick();

 private:
  bool moveTo(int frame);
  int total_ = 0;
  int current_ = 0;
  bool playing_ = false;
  bool loop_ = true;
};

}  // namespace standin
